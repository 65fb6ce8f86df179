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
        registerQmlTypes();
    }
};

QUICK_TEST_MAIN_WITH_SETUP(pages, PageTestSetup)

#include "main.moc"
