#include "BackendFixture.h"

// The back end end to end through the facade, on the simulators: fault
// outputs, a profile reaching board and remote queue, the facade's shutdown
// bookkeeping, system type and the texts it hands to the remote link.
class TestBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(fx->up()); }
    void cleanupTestCase() { fx.reset(); }
    void piezoOverTemperatureDrivesTheFaultOutputs()
    {
        QSignalSpy faults(fx->handler.get(), &ThreadHandler::faultUpdate);
        fx->sysfs.setPiezoTemp(90);
        QTRY_VERIFY_WITH_TIMEOUT(faults.contains({QString("PIEZO_TEMP"), true}), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin497Gpio), 1, 2000); // DB15 any error
        QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin498Gpio), 1, 2000); // DB15 piezo exceeded
        QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin506Gpio), 1, 2000); // cooling air
        fx->sysfs.setPiezoTemp(25);
        QTRY_COMPARE_WITH_TIMEOUT(fx->gpio(Control::Pin497Gpio) + fx->gpio(Control::Pin506Gpio), 0, 3000);
    }

    void profileGoesToBoardAndRemoteQueue()
    {
        fx->board->clearLog();
        fx->handler->setProfileParam(1, 5, 300, 50, 100, 100, 1000, 0, 0, 0);
        QCOMPARE(fx->board->receivedBytes(), QByteArray("\rP04:50\rP00:100\rP01:300\rP02:100\rP03:1000\rP05:5\rP12:0\r"));
        const QString package = fx->handler->remoteLink().queuedReports().last();
        QVERIFY2(package.startsWith(QString("#START#127.0.0.1#%1#11#1P.profile#").arg(BackendFixture::mac)),
                 qPrintable(package));
    }

    void shutdownIsHeldByOneRequestor()
    {
        ThreadHandler &th = *fx->handler;
        const auto count = [this](const QString &text) { return fx->serialLog().filter(text).size(); };
        th.gotCallForShutDown("NT ERR", true);
        th.gotCallForShutDown("NT ERR", true);
        QCOMPARE(count("NT ERR --- ShutDownContoller : TURNING OFF"), 1);
        QCOMPARE(fx->gpio(Control::Pin508Gpio), 1);
        // Another requestor can neither take over nor release the latch.
        th.gotCallForShutDown("ESTOP", true);
        th.gotCallForShutDown("ESTOP", false);
        QCOMPARE(th.currentShutdownRequestor(), QString("NT ERR"));
        QCOMPARE(count("ShutDownContoller"), 1);
        th.gotCallForShutDown("NT ERR", false);
        QVERIFY(!th.shutdownIsLatched());
        QCOMPARE(count("NT ERR --- ShutDownContoller : TURNING ON"), 1);
        QCOMPARE(fx->gpio(Control::Pin508Gpio), 0);
        // Released: the next requestor may latch again.
        th.gotCallForShutDown("ESTOP", true);
        QCOMPARE(th.currentShutdownRequestor(), QString("ESTOP"));
        th.gotCallForShutDown("ESTOP", false);
    }

    void systemTypeAndRemoteTexts()
    {
        ThreadHandler th;
        th.setSystemType("jet_valve"); // case-sensitive: no code
        th.iotStart("aa:bb", "127.0.0.1", 1); // nothing listens there; the reports only queue
        th.transmitMISCPackage("T=25");
        th.tramsmitIOTPackage("4JV.profile", "dwell\":\"300");
        th.setSystemType("JET_VALVE");
        th.transmitErrorCodes("2", "E41");
        th.transmitErrorCodes("3", "E42"); // one active error at a time
        th.clearErrorCodes("E42");         // not the active one
        th.clearErrorCodes("E41");
        QCOMPARE(th.currentErrorCode(), QString("0"));
        QCOMPARE(th.remoteLink().queuedReports(),
                 (QStringList{"#STARTDATA#127.0.0.1#aa:bb##T=25#STOPDATA#\n",
                              "#START#127.0.0.1#aa:bb##4JV.profile#dwell\":\"300#STOP#\n",
                              "#ERR#aa:bb#11#2#E41#ERR#\n", "#ERR#aa:bb#11#9#0#ERR#\n"}));
    }


private:
    std::unique_ptr<BackendFixture> fx = std::make_unique<BackendFixture>();
};

ZUM_TEST_MAIN(TestBackend)
#include "tst_backend.moc"
