#include "TestRoot.h"
#include "UiSetup.h"

#include <QObject>
#include <QtQuickTest>

// Runs the page tests with the console's own QML types and resource bundle, so a page
// under test uses the real file services inside the test's simulated root.
class PageTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        testroot::prepare();
        // Not the build's own default, so a page seen to offer it takes its
        // default server from the build rather than from a literal.
        registerQmlTypes(QStringLiteral("127.0.0.2"));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(pages, PageTestSetup)

#include "main.moc"
