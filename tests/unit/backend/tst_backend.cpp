#include "BackendFixture.h"

#include <QElapsedTimer>

#include <thread>

// The back end end to end through the facade, on the simulators: a profile
// reaching board and remote queue, the held faults and stops with the lines
// and permissions they drive, system type and the texts for the remote link.
class TestBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(fx->up()); }
    void cleanupTestCase() { fx.reset(); }
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
    // and DB15 error lines say whether anything is held, nothing dispenses,
    // and the heater asked for under the first hold runs only once nothing
    // is held; the lines switch once each way per row.
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
        QTest::newRow("unplugged valve") << QStringList{"i+PIEZO_TEMP", "i+NOZZLE_TEMP", "i-PIEZO_TEMP"}
                                         << QList<QStringList>{{"PT ERR"}, {"PT ERR"}, {}};
        QTest::newRow("nozzle, released by the operator") << QStringList{"p+NT ERR", "i+NOZZLE_TEMP", "p-NT ERR"}
                                                          << QList<QStringList>{{"NT ERR"}, {"NT ERR"}, {}};
    }

    void heldSetDrivesTheLines()
    {
        QFETCH(QStringList, events);
        QFETCH(QList<QStringList>, held);
        ThreadHandler &th = *fx->handler;
        th.setProfileParam(1, 5, 300, 50, 100, 100, 1000, 0, 0, 0);
        const int switches = fx->serialLog().filter("ShutDownContoller").size();
        for (int i = 0; i < events.size(); ++i) {
            const bool state = events[i][1] == '+';
            const QString name = events[i].mid(2);
            if (events[i][0] == 'i') {
                th.informFaultToGUI(name, state);
            } else if (events[i][0] == 'p') {
                th.gotCallForShutDown(name, state);
            } else {
                fx->sysfs.setDispenseControl(state ? 0 : 1); // as the 100 ms poll reports it
                th.GotStopDispenseActivated(state);
            }
            if (i == 0) {
                QTRY_VERIFY(fx->board->receivedBytes().endsWith("x")); // the hold stops the valve
                fx->board->clearLog();
                th.setNozzleHeater(true);
                th.runPressedReq(true);
                th.setPurge(true);
                th.setServiceMode(true);
            }
            const bool any = !held[i].isEmpty();
            QCOMPARE(th.heldFaults(), held[i]);
            QCOMPARE(fx->gpio(Control::Pin508Gpio), int(any)); // services off
            QCOMPARE(fx->gpio(Control::Pin497Gpio), int(any)); // DB15 any error
            QCOMPARE(th.control().heaterToggleActive() && inputMonitor.nozzleControl(), !any);
        }
        QCOMPARE(fx->serialLog().filter("ShutDownContoller").size(), switches + 2);
        th.setNozzleHeater(false);
        QTest::qWait(300); // the paced service command would be out by now
        QCOMPARE(fx->board->receivedBytes(), QByteArray());
    }

    // A stop that comes while a parameter write waits on a silent board
    // ends the write at the next reply wait: the hold follows at once
    // instead of queuing behind all the attempts left (1.3 s).
    void stopCutsAWriteToASilentBoardShort_data()
    {
        QTest::addColumn<bool>("db9"); // else the amplifier over temperature
        QTest::newRow("DB9 input opened") << true;
        QTest::newRow("amplifier over temperature") << false;
    }

    void stopCutsAWriteToASilentBoardShort()
    {
        QFETCH(bool, db9);
        ThreadHandler &th = *fx->handler;
        fx->board->setFaultMode(sim::BoardFault::Silent);
        std::thread stop([this, db9] {
            QThread::msleep(250);
            db9 ? fx->sysfs.setDispenseControl(0) : fx->sysfs.setAmpTemp(95);
        });
        QElapsedTimer clock;
        clock.start();
        th.setProfileParam(2, 5, 300, 60, 100, 100, 1000, 0, 0, 0);
        stop.join();
        QTRY_COMPARE(fx->gpio(Control::Pin508Gpio), 1); // services off
        const qint64 servicesOff = clock.elapsed();
        fx->board->setFaultMode(sim::BoardFault::None);
        db9 ? fx->sysfs.setDispenseControl(1) : fx->sysfs.setAmpTemp(30);
        QTRY_VERIFY(th.heldFaults().isEmpty());
        QVERIFY2(servicesOff < 1000, qPrintable(QString::number(servicesOff)));
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
