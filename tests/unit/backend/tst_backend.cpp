#include "BackendFixture.h"

// The back end end to end through the facade, on the simulators: fault
// outputs, a profile reaching board and remote queue, the held faults and
// stops, system type and the texts it hands to the remote link.
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

    // Events from the input thread ("i"), the screen ("p") and the DB9 input
    // ("d"), and the faults held after each. After every event the services
    // and DB15 error lines say whether anything is held and the heater asked
    // for runs only when nothing is; the lines switch once each way per row.
    void heldSetDrivesTheLines_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QList<QStringList>>("held");
        QTest::newRow("piezo, amp, piezo recovers")
            << QStringList{"i+PIEZO_TEMP", "i+AMP_TEMP", "p-PT ERR", "i-PIEZO_TEMP", "i-AMP_TEMP"}
            << QList<QStringList>{{"PT ERR"}, {"PT ERR", "AT ERR"}, {"PT ERR", "AT ERR"}, {"AT ERR"}, {}};
        QTest::newRow("stop over a fault") << QStringList{"i+AMP_TEMP", "p+ESTOP", "i-AMP_TEMP", "p-ESTOP"}
                                           << QList<QStringList>{{"AT ERR"}, {"AT ERR", "ESTOP"}, {"ESTOP"}, {}};
        QTest::newRow("both stops") << QStringList{"d+", "p+ESTOP", "d-", "d+", "p-ESTOP", "d-"}
                                    << QList<QStringList>{{"ESTOP"}, {"ESTOP"}, {"ESTOP"}, {"ESTOP"}, {"ESTOP"}, {}};
        QTest::newRow("nozzle, released by the operator") << QStringList{"p+NT ERR", "i+NOZZLE_TEMP", "p-NT ERR"}
                                                          << QList<QStringList>{{"NT ERR"}, {"NT ERR"}, {}};
    }

    void heldSetDrivesTheLines()
    {
        QFETCH(QStringList, events);
        QFETCH(QList<QStringList>, held);
        ThreadHandler &th = *fx->handler;
        th.setNozzleHeater(true);
        const int switches = fx->serialLog().filter("ShutDownContoller").size();
        for (int i = 0; i < events.size(); ++i) {
            const bool state = events[i][1] == '+';
            const QString name = events[i].mid(2);
            if (events[i][0] == 'i')
                th.informFaultToGUI(name, state);
            else if (events[i][0] == 'p')
                th.gotCallForShutDown(name, state);
            else
                th.GotStopDispenseActivated(state);
            const bool any = !held[i].isEmpty();
            QCOMPARE(th.heldFaults(), held[i]);
            QCOMPARE(fx->gpio(Control::Pin508Gpio), int(any)); // services off
            QCOMPARE(fx->gpio(Control::Pin497Gpio), int(any)); // DB15 any error
            QCOMPARE(th.control().heaterToggleActive(), !any);
        }
        QCOMPARE(fx->serialLog().filter("ShutDownContoller").size(), switches + 2);
        th.setNozzleHeater(false);
    }

    // Under a hold nothing dispenses and the heater stays off; the heater
    // asked for meanwhile comes on with the release.
    void nothingStartsWhileHeld()
    {
        ThreadHandler &th = *fx->handler;
        th.setProfileParam(1, 5, 300, 50, 100, 100, 1000, 0, 0, 0);
        th.gotCallForShutDown("ESTOP", true);
        QTRY_VERIFY(fx->board->receivedBytes().endsWith("x")); // the hold stops the valve
        fx->board->clearLog();
        th.setNozzleHeater(true);
        th.runPressedReq(true);
        th.setPurge(true);
        th.setServiceMode(true);
        QTest::qWait(300);
        QCOMPARE(fx->board->receivedBytes(), QByteArray());
        QCOMPARE(fx->gpio(Control::Pin507Gpio), 0);
        QVERIFY(!th.control().heaterToggleActive() && !inputMonitor.nozzleControl());
        th.gotCallForShutDown("ESTOP", false);
        QVERIFY(th.control().heaterToggleActive() && inputMonitor.nozzleControl());
        th.setNozzleHeater(false);
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
