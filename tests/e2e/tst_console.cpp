#include "ConsoleFixture.h"

#include <QJsonDocument>
#include <QJsonObject>

// The operating screen end to end where the profiles meet a run: what the
// board receives and what the profile files keep.
class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void profilesPushedWhileBusyWaitForTheEnd_data();
    void profilesPushedWhileBusyWaitForTheEnd();
    void sequenceKeepsTheCountOfEveryProfile();

private:
    ConsoleFixture fx;
};

void TestConsole::initTestCase()
{
    QVERIFY(fx.startSimulators());
    testroot::writeFile("/media/data/1JV.profile",
                        "{\"programValue\":1,\"dispenseCycles\":\"3\",\"dwell\":\"250\",\"dutyCycle\":\"80\","
                        "\"riseTime\":\"80\",\"fallTime\":\"80\",\"delay\":\"1000\",\"cycleCount\":\"0\",\"mode\":0,"
                        "\"nozTemp\":\"30\",\"nozTempState\":false,\"tuning\":\"0\"}");
    QVERIFY(fx.startConsole());
}

void TestConsole::cleanupTestCase()
{
    fx.stopConsole();
}

void TestConsole::profilesPushedWhileBusyWaitForTheEnd_data()
{
    QTest::addColumn<QString>("busy"); // what keeps the screen on profile 1
    QTest::newRow("run") << "run";
    QTest::newRow("edit") << "edit";
    QTest::newRow("purge") << "purge"; // up to the operator's profile back on the board
}

// Neither the board dispensing profile 1 nor an editor open on it takes the
// pushed values, and the screen stays on profile 1; at the end the pushes show
// in order, neither lost to the run's save nor taking the operator's edit.
void TestConsole::profilesPushedWhileBusyWaitForTheEnd()
{
    QFETCH(QString, busy);
    const int mode = busy == "purge" ? 1 : 0; // of the push for profile 1
    const auto pushed = [mode](int n, int dwell) {
        return "#" + QByteArray::number(n) + "#{\"programValue\":" + QByteArray::number(n) + ",\"dwell\":\""
            + QByteArray::number(dwell) + "\",\"dispenseCycles\":\"3\",\"mode\":" + QByteArray::number(n == 1 ? mode : 0)
            + ",\"tuning\":\"1\"}";
    };
    const QPoint purge = fx.item("purgeButtonID")->mapToScene({20, 20}).toPoint();
    const auto shown = [this] { return fx.run("jetValve.currentProfile.programValue + '/' + jetValve.currentProfile.dwell"); };
    fx.run("jetValve.setGuiParams(jetValve.loadProfile(1), 1)");
    const QString before = shown().toString();
    if (busy == "run") {
        fx.run("handleThread.setProfileParam(1, 5000, 1000, 50, 80, 80, 1000, 0, 0, 0)"); // six seconds
        QVERIFY(fx.click("runButtonID"));
        QTRY_VERIFY_WITH_TIMEOUT(fx.board->isDispensing(), 3000);
    } else if (busy == "edit") {
        fx.setProperty("mainWindow", "adminControl", true);
        fx.run("jetValve.openEditor(2)");
    } else {
        QTest::mousePress(fx.window(), Qt::LeftButton, {}, purge);
        QTRY_VERIFY_WITH_TIMEOUT(fx.board->isDispensing(), 3000);
    }
    fx.board->clearLog();
    QTRY_VERIFY_WITH_TIMEOUT(fx.server->hasClient(), 5000);
    fx.server->clearExchanges();
    QVERIFY(fx.server->sendWhenReady(pushed(2, 37)) && fx.server->sendWhenReady(pushed(1, 41)));
    QTRY_VERIFY_WITH_TIMEOUT(fx.server->exchanges().size() == 2 && !fx.server->lastAnswer().isEmpty(), 5000);
    QTest::qWait(300);
    QCOMPARE(shown().toString(), before);
    QVERIFY(!fx.wire().contains("P01:"));
    if (busy == "run") {
        QVERIFY(fx.board->isDispensing());
        QVERIFY(fx.click("runButtonID"));
    } else if (busy == "purge") {
        QTest::mouseRelease(fx.window(), Qt::LeftButton, {}, purge);
    } else {
        fx.call("scrollNumbersID", "setCurrentNumber", {2, 999, 0}); // typed for profile 1
        fx.call("scrollNumbersID", "saveNumber");
        fx.setProperty("mainWindow", "adminControl", false);
    }
    QTRY_COMPARE_WITH_TIMEOUT(shown().toString(), QString("1/41"), 3000);
    QTest::qWait(500); // the screen, its file and the board agree on the mode
    QCOMPARE(fx.run("jetValve.currentProfile.mode").toInt(), mode);
    QCOMPARE(fx.wire().mid(fx.wire().lastIndexOf("P12:"), 5), "P12:" + QByteArray::number(mode));
    QVERIFY(testroot::readFile("/media/data/1JV.profile").contains("\"dwell\":\"41\""));
    QVERIFY(testroot::readFile("/media/data/2JV.profile").contains("\"dwell\":\"37\""));
    QVERIFY(fx.property("mainWindow", "iotNotificationShown").toBool());
    fx.run("var p = jetValve.currentProfile; p.mode = 0; p.dispenseCycles = 3; jetValve.saveProgram(); "
           "jetValve.setGuiParams(jetValve.loadProfile(1), 1)");
}

// Repeated runs stepping through profiles 1 and 2: every run's cycles stay
// in the file of the profile that ran them, not only the last one shown.
void TestConsole::sequenceKeepsTheCountOfEveryProfile()
{
    const auto counted = [] {
        qint64 sum = 0;
        for (const char *file : {"/media/data/1JV.profile", "/media/data/2JV.profile"})
            sum += QJsonDocument::fromJson(testroot::readFile(file)).object().value("cycleCount").toString().toLongLong();
        return sum;
    };
    const qint64 before = counted();
    const int runs = fx.board->runsStarted();
    fx.run("systemSettingsID.submitRunSettings(true, 100, true, 1, 2)");
    QTRY_VERIFY_WITH_TIMEOUT(fx.item("runButtonID")->isEnabled(), 3000);
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.board->runsStarted() >= runs + 4, 5000);
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.property("mainWindow", "runInProgressState").toBool(), 3000);
    fx.run("systemSettingsID.submitRunSettings(false, 100, false, 1, 2)");
    QTRY_COMPARE_WITH_TIMEOUT(counted() - before, qint64(3) * (fx.board->runsStarted() - runs), 3000);
}

ZUM_TEST_GUI_MAIN(TestConsole)
#include "tst_console.moc"
