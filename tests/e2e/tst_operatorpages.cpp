#include "ConsoleFixture.h"
#include "ElfSamples.h"

#include "SimRemoteServer.h"

#include <QFileInfo>

#include <algorithm>

// The administrator's pages end to end on the simulators and fake tools:
// login, trigger mode, remote server, software update and reboot (the window
// scenarios run a calibration).
class TestOperatorPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(fx.startSimulators());
        QVERIFY(fx.startConsole());
    }

    void cleanupTestCase() { fx.stopConsole(); }

    void logInWithTheFactoryPassword()
    {
        // Not logged in: the settings page is not even made.
        QVERIFY(!fx.click("settingsButtonID") || !fx.item("settingsPageID"));
        QVERIFY(fx.click("loginButtonID"));
        QTRY_VERIFY(fx.item("loginPageID")->isVisible());
        QVERIFY(type("loginPageID", "4172"));
        QVERIFY(fx.click("submitPasswordButtonID"));
        QTRY_VERIFY(fx.property("mainWindow", "adminControl").toBool());
        QTRY_VERIFY(!fx.item("loginPageID")->isVisible());
    }

    void triggerModeReachesTheBoard()
    {
        QVERIFY(fx.click("settingsButtonID"));
        QTRY_VERIFY(fx.item("settingsPageID")->isVisible());
        fx.board->clearLog();
        QVERIFY(fx.click("triggerModeIconID"));
        QTRY_VERIFY_WITH_TIMEOUT(fx.wire().contains("P28:0\r"), 3000);
        QVERIFY(fx.click("triggerModeIconID"));
        QTRY_VERIFY_WITH_TIMEOUT(fx.wire().contains("P28:1\r"), 3000);
        QVERIFY(fx.root.readFile("/media/data/JetValveSettings.dat").contains("\"trigOutForCamera\":true"));
    }

    void remoteServerIsTakenFromThePage()
    {
        sim::SimRemoteServer other;
        QVERIFY(other.start());
        other.setAutoPilot(true);
        QVERIFY(fx.click("remoteServerIconID"));
        QTRY_VERIFY(fx.item("commConfigID")->isVisible());
        const QStringList fields = {"ip1FieldID", "ip2FieldID", "ip3FieldID", "ip4FieldID", "portFieldID"};
        const QStringList values = {"127", "0", "0", "1", QString::number(other.port())};
        for (int i = 0; i < fields.size(); ++i) {
            QVERIFY(fx.click(fields[i].toLatin1().constData()));
            for (int erase = 0; erase < 5; ++erase)
                QVERIFY(fx.click("commConfigID/keyErase"));
            QVERIFY(type("commConfigID", values[i]));
        }
        QVERIFY(fx.click("commSubmitButtonID"));
        QTRY_VERIFY_WITH_TIMEOUT(other.hasClient(), 10000);
        const auto identified = [&other] {
            const auto exchanges = other.exchanges();
            return std::any_of(exchanges.begin(), exchanges.end(),
                               [](const auto &e) { return e.answer.contains("ZUM_START_COMM_OK"); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(identified(), 10000);
        QVERIFY(fx.root.readFile("/media/data/JetValveSettings.dat")
                    .contains(QByteArray("\"RemoteServerPort\":\"") + QByteArray::number(other.port()) + '"'));
    }

    void softwareUpdate_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<bool>("driver");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("reboots");
        QTest::addColumn<QString>("squat"); // the program's name + this is taken by a folder
        QTest::newRow("good program") << elfsample::read("program-pie") << false << "System rebooting..." << true << "";
        QTest::newRow("text refused") << QByteArray("# ZUM jet valve console\n") << false
                                      << "Application Software Update Failed !" << false << "";
        QTest::newRow("driver only") << QByteArray() << true << "No Valid File Found" << true << "";
        // Half an update is none: a good driver does not go in beside a refused
        // program, nor stays in when the program's copy or move fails after it.
        const QByteArray program = elfsample::read("program-pie");
        const QString failed = "Application Software Update Failed !";
        QTest::newRow("good driver, text program") << QByteArray("#!/bin/sh\n") << true << failed << false << "";
        QTest::newRow("good driver, program copy fails") << program << true << failed << false << ".new";
        QTest::newRow("good driver, program not moved in") << program << true << failed << false << ".old";
    }

    // The stick is a device the fake mount tool accepts with the update folder
    // already in place.
    void softwareUpdate()
    {
        QFETCH(QByteArray, program);
        QFETCH(bool, driver);
        QFETCH(QString, message);
        QFETCH(bool, reboots);
        QFETCH(QString, squat);

        fx.click("currentProgramButtonID");
        testroot::writeFile("/usr/bin/zumvalvecontroller", "old program");
        testroot::writeFile("/lib/modules/4.1.15/kernel/drivers/misc/zuvc.ko", "old driver");
        testroot::writeFile("/dev/sda1", "");
        testroot::writeFile("/sim/mountable", "/dev/sda1\n");
        QDir(testroot::path("/media/usb/JET_VALVE")).removeRecursively();
        if (!program.isEmpty())
            testroot::writeFile("/media/usb/JET_VALVE/zumvalvecontroller", program);
        if (driver)
            testroot::writeFile("/media/usb/JET_VALVE/zuvc.ko", elfsample::read("module"));
        const QString squatted = "/usr/bin/zumvalvecontroller" + squat;
        if (!squat.isEmpty()) {
            QFile::remove(testroot::path(squatted));
            testroot::writeFile(squatted + "/squat", "");
        }
        const int rebootsBefore = calls().count("reboot");

        QVERIFY(fx.click("settingsButtonID"));
        QVERIFY(fx.click("usbIconID"));
        QVERIFY(fx.click("updateSubmitIconID"));
        QTRY_COMPARE_WITH_TIMEOUT(messageLine(), message, 3000);

        const QByteArray installed = fx.root.readFile("/usr/bin/zumvalvecontroller");
        QCOMPARE(installed, reboots && !program.isEmpty() ? program : QByteArray("old program"));
        QVERIFY(QFileInfo(testroot::path("/usr/bin/zumvalvecontroller")).isExecutable() || installed == "old program");
        QCOMPARE(fx.root.readFile("/lib/modules/4.1.15/kernel/drivers/misc/zuvc.ko"),
                 driver && reboots ? elfsample::read("module") : QByteArray("old driver"));
        // The countdown holds the window, so nothing starts that the reboot would
        // cut short, and ends in the valve stopped, then the (fake) reboot tool.
        if (reboots) {
            QVERIFY(!fx.item("mainBoxID")->isEnabled());
            fx.board->clearLog();
            QTRY_COMPARE_WITH_TIMEOUT(calls().count("reboot"), rebootsBefore + 1, 8000);
            QVERIFY(fx.wire().contains('x'));
        } else {
            QTest::qWait(6000);
            QCOMPARE(calls().count("reboot"), rebootsBefore);
        }
        QVERIFY(squat.isEmpty() || QDir(testroot::path(squatted)).removeRecursively());
    }

private:
    bool type(const char *keypad, const QString &digits)
    {
        for (const QChar digit : digits) {
            const QByteArray key = QByteArray(keypad) + "/key" + digit.toLatin1();
            if (!fx.click(key.constData()))
                return false;
        }
        return true;
    }
    QString messageLine() const { return fx.property("messageLineID", "text").toString(); }
    QString calls() const { return QString::fromLatin1(fx.root.readFile("/sim/calls.log")); }

    ConsoleFixture fx;
};

ZUM_TEST_GUI_MAIN(TestOperatorPages)
#include "tst_operatorpages.moc"
