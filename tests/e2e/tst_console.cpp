#include "ConsoleFixture.h"

// The operating screen end to end: what an operator sees and touches, and
// what reaches the driver board, the valve chip and the DB15 lines.
class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void startupSendsProfileOne();
    void editedDwellSurvivesRestart();
    void dotRunMovesTheValveCount();
    void piezoOverTemperatureHoldsTheValve();
    void stopSourcesDoNotReleaseEachOther();
    void overlaysHoldTheWindowButNotTheStop_data();
    void overlaysHoldTheWindowButNotTheStop();
    void runStopsUnderAPopUp();
    void progressReportsDriveTheRunIndicator();

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

void TestConsole::startupSendsProfileOne()
{
    QCOMPARE(fx.property("programSelect", "text").toString(), QString("1"));
    QTRY_COMPARE_WITH_TIMEOUT(fx.board->parameter(1), qint64(250), 5000); // dwell
    QCOMPARE(fx.board->parameter(5), qint64(3));                        // pulses
    // The settings page read the fitted valve's count at start-up.
    QTRY_COMPARE_WITH_TIMEOUT(fx.property("mainWindow", "epromTotalCycles").toInt(), 12345, 5000);
}

void TestConsole::editedDwellSurvivesRestart()
{
    fx.setProperty("mainWindow", "adminControl", true);
    QVERIFY(fx.click("dwellTileID"));
    QTRY_VERIFY(fx.item("scrollNumbersID")->isVisible());
    QMetaObject::invokeMethod(fx.item("scrollNumbersID"), "save", Q_ARG(double, 420), Q_ARG(int, 2));
    QTRY_COMPARE_WITH_TIMEOUT(fx.board->parameter(1), qint64(420), 5000);
    QTRY_VERIFY(fx.click("saveButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.root.readFile("/media/data/1JV.profile").contains("\"dwell\":\"420\""), 5000);

    fx.stopConsole();
    QVERIFY(fx.startConsole());
    QTRY_COMPARE_WITH_TIMEOUT(fx.board->parameter(1), qint64(420), 5000);
    QCOMPARE(fx.property("dwellValueID", "text").toString(), QString("420"));
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
}

void TestConsole::piezoOverTemperatureHoldsTheValve()
{
    fx.board->clearLog();
    fx.sysfs.setPiezoTemp(90);
    QTRY_VERIFY_WITH_TIMEOUT(fx.item("faultUpdateID")->isVisible(), 5000);
    QCOMPARE(fx.property("faultUpdateID", "text").toString(), QString("PT ERR"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.wire().contains("x"), 3000);
    QCOMPARE(fx.gpio(Control::Pin497Gpio), 1); // DB15 any error
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 1); // services off
    QVERIFY(!fx.item("purgeButtonID")->isEnabled());

    fx.sysfs.setPiezoTemp(25);
    QTRY_VERIFY_WITH_TIMEOUT(!fx.item("faultUpdateID")->isVisible(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(fx.gpio(Control::Pin497Gpio), 0, 2000);
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 0);
}

void TestConsole::stopSourcesDoNotReleaseEachOther()
{
    const auto activator = [this] { return fx.property("mainWindow", "estopActivator").toString(); };
    QVERIFY(fx.click("eStopButtonID"));
    QCOMPARE(activator(), QString("UI"));
    QVERIFY(fx.item("resetBannerID")->isVisible());

    // The DB9 input neither takes over nor releases the on-screen stop...
    fx.sysfs.setDispenseControl(0);
    QTest::qWait(300);
    QCOMPARE(activator(), QString("UI"));
    // ...but while it is still asserted, releasing the on-screen stop hands over to it.
    QVERIFY(fx.click("resetBannerButtonID"));
    QCOMPARE(activator(), QString("DB9"));
    QVERIFY(fx.item("resetBannerID")->isVisible());
    QVERIFY(fx.click("resetBannerButtonID")); // the banner cannot release a DB9 stop
    QCOMPARE(activator(), QString("DB9"));
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 1);

    fx.sysfs.setDispenseControl(1);
    QTRY_COMPARE_WITH_TIMEOUT(activator(), QString(" "), 3000);
    QVERIFY(!fx.item("resetBannerID")->isVisible());
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 0);
}

void TestConsole::overlaysHoldTheWindowButNotTheStop_data()
{
    QTest::addColumn<QStringList>("open"); // calls on the window ("name") or the operating screen ("jetValve.name")
    QTest::addColumn<QByteArray>("close"); // the item clicked to close the last one
    const QByteArray popUpClose("popUpID/closeIconID");
    QTest::newRow("pop-up outlives the wait banner") << QStringList{"triggerHourGlass", "showPopUp"} << popUpClose;
    QTest::newRow("pop-up outlives the thumbs-up") << QStringList{"jetValve.giveThumbsUp", "showPopUp"} << popUpClose;
    QTest::newRow("wait banner") << QStringList{"triggerHourGlass"} << QByteArray();
    QTest::newRow("profile keypad") << QStringList{"invokeProfileKeyPad"} << QByteArray("profileKeypadCancelID");
}

// Whatever is up, the window stays modal until the last overlay goes, and
// the emergency stop still acts, its banner over everything.
void TestConsole::overlaysHoldTheWindowButNotTheStop()
{
    QFETCH(QStringList, open);
    QFETCH(QByteArray, close);
    const auto modal = [this] { return !fx.item("mainBoxID")->isEnabled(); };
    for (const QString &call : open) {
        const bool page = call.startsWith("jetValve.");
        const QByteArray name = call.mid(page ? 9 : 0).toLatin1();
        const QVariantList args = name == "showPopUp" ? QVariantList{"COMMS ERR", "Press red 'X' to reset"}
                                  : name == "triggerHourGlass" ? QVariantList{close.isEmpty() ? 5000 : 50}
                                  : name == "giveThumbsUp" ? QVariantList{true} : QVariantList{};
        fx.call(page ? "jetValve" : "mainWindow", name.constData(), args);
    }
    QVERIFY(modal());
    QTRY_VERIFY_WITH_TIMEOUT(!fx.property("jetValve", "confirmationShown").toBool(), 3000);
    QTest::qWait(100); // the wait banner's end
    QVERIFY(modal());

    QVERIFY(fx.click("eStopButtonID"));
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 1);
    QVERIFY(fx.item("resetBannerID")->isVisible());
    QVERIFY(fx.click("resetBannerButtonID"));
    QCOMPARE(fx.gpio(Control::Pin508Gpio), 0);
    QVERIFY(modal());
    if (close.isEmpty())
        fx.call("mainWindow", "cancelHourGlass");
    else
        QVERIFY(fx.click(close.constData()));
    QVERIFY(!modal());
}

// A run in progress stops from its button even under a pop-up.
void TestConsole::runStopsUnderAPopUp()
{
    QObject *handler = fx.window()->findChild<QObject *>("handleThread");
    QMetaObject::invokeMethod(handler, "setProfileParam", Q_ARG(int, 1), Q_ARG(int, 5000), Q_ARG(int, 1000),
                              Q_ARG(int, 50), Q_ARG(int, 80), Q_ARG(int, 80), Q_ARG(int, 1000), Q_ARG(int, 0),
                              Q_ARG(int, 0), Q_ARG(int, 0)); // six seconds
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(fx.board->isDispensing(), 3000);
    fx.call("mainWindow", "showPopUp", {"COMMS ERR", "Press red 'X' to reset"});
    QVERIFY(fx.click("runButtonID"));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.board->isDispensing(), 3000);
    QTRY_VERIFY(!fx.property("mainWindow", "runInProgressState").toBool());
    QVERIFY(fx.click("popUpID/closeIconID"));
}

void TestConsole::progressReportsDriveTheRunIndicator()
{
    QObject *handler = fx.window()->findChild<QObject *>("handleThread");
    QVERIFY(handler);
    QMetaObject::invokeMethod(handler, "monitorGui", Q_ARG(float, 1.0f));
    QVERIFY(runIndicatorShown());
    QCOMPARE(fx.property("mainWindow", "progressPercent").toInt(), 1);
    QMetaObject::invokeMethod(handler, "monitorGui", Q_ARG(float, 0.5f));
    QVERIFY(!runIndicatorShown());
    QCOMPARE(fx.property("mainWindow", "progressPercent").toInt(), 0);
}

ZUM_TEST_GUI_MAIN(TestConsole)
#include "tst_console.moc"
