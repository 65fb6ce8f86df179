#include "ConsoleFixture.h"

#include "SimUsbStick.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The settings page's software update from the stick the ARM build makes
// (scripts/make-update-stick.sh): the board's program replaces the old one
// and the reboot countdown starts. The native build has no such stick.
class TestUpdateStick : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(stick + "/JET_VALVE/zumvalvecontroller"))
            QSKIP("no update stick in this build: the ARM build makes one");
        QVERIFY(fx.startSimulators());
        QVERIFY(fx.startConsole());
    }

    void cleanupTestCase() { fx.stopConsole(); }

    void installsTheBoardProgram()
    {
        // Only what the update reads is on the stick (the console installs it only
        // as a whole ARM program).
        const QStringList onStick = QDir(stick + "/JET_VALVE").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(onStick, QStringList{"zumvalvecontroller"});
        QFile file(stick + "/JET_VALVE/zumvalvecontroller");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray program = file.readAll();

        testroot::writeFile("/usr/bin/zumvalvecontroller", "old program");
        const QString plugged = sim::SimUsbStick(testroot::root()).insert({{QString(), stick}}, 64 << 20, 10);
        QVERIFY2(plugged.isEmpty(), qPrintable(plugged));

        fx.run(QStringLiteral("settingsPage().runSoftwareUpdate()"));
        QTRY_COMPARE(fx.property("messageLineID", "text").toString(), QString("System rebooting..."));
        QTRY_VERIFY(fx.property("settingsPageID", "rebootCount").toInt() > 0); // counting towards the reboot
        QVERIFY(fx.root.readFile("/usr/bin/zumvalvecontroller") == program);
        QVERIFY(QFileInfo(testroot::path("/usr/bin/zumvalvecontroller")).isExecutable());
    }

private:
    QString stick = qEnvironmentVariable("ZUM_BINARY_DIR") + QStringLiteral("/update-stick");
    ConsoleFixture fx;
};

ZUM_TEST_GUI_MAIN(TestUpdateStick)
#include "tst_updatestick.moc"
