#include "ConsoleFixture.h"

#include <QJsonDocument>
#include <QJsonObject>

// The operating screen end to end: what an operator sees and touches, and
// what reaches the driver board, the valve chip and the DB15 lines.
class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void dotRunMovesTheValveCount();
    void piezoOverTemperatureHoldsTheValve();
    void overlaysHoldTheWindowButNotTheStop_data();
    void overlaysHoldTheWindowButNotTheStop();
    void runStopsUnderAPopUp();
    void profilesPushedWhileBusyWaitForTheEnd_data();
    void profilesPushedWhileBusyWaitForTheEnd();
    void sequenceKeepsTheCountOfEveryProfile();

private:
    bool runIndicatorShown() const
    {
        return fx.property("jetValve", "runningState").toBool(); // the Run button shows Stop
    }

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

void TestConsole::dotRunMovesTheValveCount()
{
    QTRY_COMPARE_WITH_TIMEOUT(fx.property("mainWindow", "epromTotalCycles").toInt(), 12345, 5000);
    const int runs = fx.board->runsStarted();
    QVERIFY(fx.click("runButtonID"));
    QTRY_COMPARE_WITH_TIMEOUT(fx.board->runsStarted(), runs + 1, 5000);
    // Three pulses, counted once: from the board's report, not at the start too.
    QTRY_COMPARE_WITH_TIMEOUT(fx.property("mainWindow", "epromTotalCycles").toInt(), 12348, 5000);
    QTest::qWait(500);
    QCOMPARE(fx.property("mainWindow", "epromTotalCycles").toInt(), 12348);
    // After "x" the board reports what it dispensed before the stop: counted
    // under the stop, ten digits whole, the total held at what the record holds.
    QVERIFY(fx.click("eStopButtonID"));
    fx.board->send("P17:9999999999\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(fx.oneWire.eeprom().left(7), sim::SimOneWire::recordBytes(INT32_MAX, 1), 5000);
    QVERIFY(!fx.item("settingsPageID")); // counted and written with the settings page never opened
    QVERIFY(fx.click("resetBannerButtonID"));
}

void TestConsole::piezoOverTemperatureHoldsTheValve()
{
    fx.board->clearLog();
    fx.sysfs.setPiezoTemp(90);
    QTRY_VERIFY_WITH_TIMEOUT(fx.item("faultUpdateID")->isVisible(), 5000);
    QCOMPARE(fx.property("faultUpdateID", "text").toString(), QString("PT ERR"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.wire().contains("x"), 3000);
    // DB15 any error and piezo exceeded, services off, cooling air.
    for (int line : {Control::Pin497Gpio, Control::Pin498Gpio, Control::Pin508Gpio, Control::Pin506Gpio})
        QCOMPARE(fx.gpio(line), 1);
    QVERIFY(!fx.item("purgeButtonID")->isEnabled());

    fx.sysfs.setPiezoTemp(25);
    QTRY_VERIFY_WITH_TIMEOUT(!fx.item("faultUpdateID")->isVisible(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(fx.gpio(Control::Pin497Gpio) + fx.gpio(Control::Pin506Gpio), 0, 2000);
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 0);
}

void TestConsole::overlaysHoldTheWindowButNotTheStop_data()
{
    QTest::addColumn<QString>("open");  // scripts in the window's scope
    QTest::addColumn<QString>("close");
    const QString popUp = "showPopUp('COMMS ERR', 'Press red X to reset')", closePopUp = "popUpID.closeButtonPressed()";
    QTest::newRow("pop-up outlives the wait banner") << "triggerHourGlass(50); " + popUp << closePopUp;
    QTest::newRow("pop-up outlives the thumbs-up") << "jetValve.giveThumbsUp(true); " + popUp << closePopUp;
    QTest::newRow("wait banner") << "triggerHourGlass(5000)" << "cancelHourGlass()";
    QTest::newRow("profile keypad") << "invokeProfileKeyPad()" << "numberPadToSetProfileID.visible = false";
}

// Whatever is up, the window stays modal until the last overlay goes, and
// the emergency stop still acts, its banner over everything; Run does not
// take the tap that closed an overlay.
void TestConsole::overlaysHoldTheWindowButNotTheStop()
{
    QFETCH(QString, open);
    QFETCH(QString, close);
    const auto modal = [this] { return !fx.item("mainBoxID")->isEnabled(); };
    fx.run(open);
    QTRY_VERIFY_WITH_TIMEOUT(!fx.property("jetValve", "confirmationShown").toBool(), 3000);
    QTest::qWait(100); // past the short wait banner
    QVERIFY(modal());
    QVERIFY(fx.click("eStopButtonID"));
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 1);
    QVERIFY(fx.item("resetBannerID")->isVisible());
    QVERIFY(fx.click("resetBannerButtonID"));
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 0);
    QVERIFY(modal());
    fx.run(close);
    QVERIFY(!modal());
    // A second tap meant for the overlay would land on Run: it takes none yet.
    QVERIFY(!fx.item("runButtonID")->isEnabled());
}

// A run in progress stops from its button even under a pop-up.
void TestConsole::runStopsUnderAPopUp()
{
    fx.run("handleThread.setProfileParam(1, 5000, 1000, 50, 80, 80, 1000, 0, 0, 0)"); // six seconds
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.board->isDispensing() && runIndicatorShown(), 3000);
    fx.run("showPopUp('COMMS ERR', '')");
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.board->isDispensing() && !runIndicatorShown(), 3000);
    QVERIFY(!fx.property("mainWindow", "runInProgressState").toBool());
    fx.run("popUpID.closeButtonPressed()");
}

void TestConsole::profilesPushedWhileBusyWaitForTheEnd_data()
{
    QTest::addColumn<QString>("busy"); // what keeps the screen on profile 1
    QTest::newRow("run") << "run";
    QTest::newRow("edit") << "edit";
}

// Neither the board dispensing profile 1 nor an editor open on it takes the
// pushed values, and the screen stays on profile 1; at the end the pushes show
// in order, neither lost to the run's save nor taking the operator's edit.
void TestConsole::profilesPushedWhileBusyWaitForTheEnd()
{
    QFETCH(QString, busy);
    const auto pushed = [](int n, int dwell) {
        return "#" + QByteArray::number(n) + "#{\"programValue\":" + QByteArray::number(n) + ",\"dwell\":\""
            + QByteArray::number(dwell) + "\",\"dispenseCycles\":\"3\",\"mode\":0,\"tuning\":\"1\"}";
    };
    const auto shown = [this] { return fx.run("jetValve.currentProfile.programValue + '/' + jetValve.currentProfile.dwell"); };
    fx.run("jetValve.setGuiParams(jetValve.loadProfile(1), 1)");
    const QString before = shown().toString();
    if (busy == "run") {
        fx.run("handleThread.setProfileParam(1, 5000, 1000, 50, 80, 80, 1000, 0, 0, 0)"); // six seconds
        QVERIFY(fx.click("runButtonID"));
        QTRY_VERIFY_WITH_TIMEOUT(fx.board->isDispensing(), 3000);
    } else {
        fx.setProperty("mainWindow", "adminControl", true);
        fx.run("jetValve.openEditor(2)");
    }
    fx.board->clearLog();
    QTRY_VERIFY_WITH_TIMEOUT(fx.server->hasClient(), 5000);
    fx.server->clearExchanges();
    QVERIFY(fx.server->sendWhenReady(pushed(2, 37)) && fx.server->sendWhenReady(pushed(1, 41)));
    QTRY_COMPARE_WITH_TIMEOUT(fx.server->exchanges().size(), 2, 5000);
    QTest::qWait(300);
    QCOMPARE(shown().toString(), before);
    QCOMPARE(fx.wire(), QByteArray());
    if (busy == "run") {
        QVERIFY(fx.board->isDispensing());
        QVERIFY(fx.click("runButtonID"));
    } else {
        fx.call("scrollNumbersID", "setCurrentNumber", {2, 999, 0}); // typed for profile 1
        fx.call("scrollNumbersID", "saveNumber");
        fx.setProperty("mainWindow", "adminControl", false);
    }
    QTRY_COMPARE_WITH_TIMEOUT(shown().toString(), QString("1/41"), 3000);
    QVERIFY(testroot::readFile("/media/data/1JV.profile").contains("\"dwell\":\"41\""));
    QVERIFY(testroot::readFile("/media/data/2JV.profile").contains("\"dwell\":\"37\""));
    QVERIFY(fx.property("mainWindow", "iotNotificationShown").toBool());
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
