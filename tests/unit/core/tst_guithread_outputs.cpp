// Heater pulsing and its guard against waits, and the wired-link watch,
// against the simulated sysfs tree.
#include "CoreFixture.h"
#include "Globals.h"

#include <algorithm>
#include <atomic>
#include <thread>

using corefixture::Bench;

namespace {

struct Phase {
    int on;
    qint64 atMs;
};

// Runs the event loop for `ms` and records every change of the heater flag.
QList<Phase> watchHeater(int ms)
{
    QList<Phase> phases{{heaterisON.load(), 0}};
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (heaterisON.load() != phases.last().on)
            phases << Phase{heaterisON.load(), clock.elapsed()};
    }
    return phases;
}

QStringList leasedAddresses;
QStringList fakeAddresses() { return leasedAddresses; }

} // namespace

class TestGuiThreadOutputs : public QObject
{
    Q_OBJECT

private slots:
    void heaterPulsesTenOnHundredTenOff()
    {
        Bench bench;
        QVERIFY(bench.upOnBoard());
        const sim::SimSysfs sysfs(testroot::root());
        bench.gui->setNozzleHeater(true);
        QCOMPARE(sysfs.gpioValue(507).trimmed(), QByteArray("1"));
        const QList<Phase> phases = watchHeater(700);
        QCOMPARE(phases.first().on, 1);
        QVERIFY2(phases.size() >= 7, qPrintable(QString::number(phases.size())));
        // Judged on the median phase, so that one phase stretched by a busy
        // machine does not count.
        QList<qint64> lengths[2];
        for (int i = 1; i + 1 < phases.size(); ++i) {
            QCOMPARE(phases[i].on, i % 2 == 0 ? 1 : 0);
            lengths[phases[i].on].append(phases[i + 1].atMs - phases[i].atMs);
        }
        for (QList<qint64> &list : lengths)
            std::sort(list.begin(), list.end());
        const qint64 on = lengths[1].at(lengths[1].size() / 2);
        const qint64 off = lengths[0].at(lengths[0].size() / 2);
        QVERIFY2(on >= 8 && on < 60 && off >= 100 && off < 200, qPrintable(QStringLiteral("%1/%2").arg(on).arg(off)));
        // Enabling again during an off phase starts over with an on phase;
        // disabling in it switches off at once.
        QTRY_COMPARE(heaterisON.load(), 0);
        bench.gui->setNozzleHeater(true);
        QCOMPARE(heaterisON.load(), 1);
        bench.gui->setNozzleHeater(false);
        QCOMPARE(sysfs.gpioValue(507).trimmed(), QByteArray("0"));
        QCOMPARE(watchHeater(200).size(), 1);
    }

    void noWaitHoldsTheHeaterOn_data()
    {
        QTest::addColumn<int>("wait");
        QTest::newRow("exchange with a silent board") << 0;
        QTest::newRow("version request") << 1;
        QTest::newRow("run command") << 2;
    }

    void noWaitHoldsTheHeaterOn()
    {
        QFETCH(int, wait);
        Bench bench;
        QVERIFY(bench.upOnBoard());
        bench.board->setFaultMode(sim::BoardFault::Silent);
        std::atomic<bool> done{false};
        std::atomic<qint64> longestOn{0};
        bench.gui->setNozzleHeater(true); // a wait starts inside this on-phase
        std::thread watch([&] {
            QElapsedTimer on;
            on.start();
            while (!done) {
                if (!heaterisON.load())
                    on.restart();
                longestOn = qMax(longestOn.load(), on.elapsed());
                QThread::usleep(200);
            }
        });
        if (wait == 0)
            bench.gui->sendTriggerMode(true);
        else if (wait == 1)
            bench.gui->gtSendP26();
        else
            bench.gui->transmitRunCommand();
        done = true;
        watch.join();
        bench.gui->setNozzleHeater(false);
        QVERIFY2(longestOn < 30, qPrintable(QString::number(longestOn)));
    }

    void linkWatch_data()
    {
        QTest::addColumn<QByteArray>("state"); // empty: no state file
        QTest::addColumn<bool>("available");
        QTest::newRow("up") << QByteArray("up\n") << true;
        QTest::newRow("down") << QByteArray("down\n") << false;
        QTest::newRow("missing") << QByteArray() << false;
    }

    void linkWatch()
    {
        QFETCH(QByteArray, state);
        QFETCH(bool, available);
        const char stateFile[] = "/sys/class/net/eth1/operstate";
        const char addressFile[] = "/media/data/ipaddress";
        QFile::remove(testroot::path(stateFile));
        if (!state.isEmpty())
            testroot::writeFile(stateFile, state);
        testroot::writeFile(addressFile, "127.0.0.1\n");
        leasedAddresses.clear();

        GuiThread::Timing t = corefixture::quietTiming();
        t.linkWatchMs = 40;
        t.addresses = &fakeAddresses;
        GuiThread::setTiming(t);
        GuiThread gui;
        QSignalSpy spy(&gui, &GuiThread::networkAvailable);
        // Reported once at start, then only on changes.
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), available);
        QCOMPARE(testroot::readFile(addressFile), available ? QByteArray("127.0.0.1\n") : QByteArray("\n"));
        QTest::qWait(200);
        QCOMPARE(spy.count(), 1);

        // DHCP gives an address after link-up: with the link up, reported again, once.
        leasedAddresses = QStringList{QStringLiteral("192.0.2.7")};
        QTest::qWait(200);
        QCOMPARE(spy.count(), available ? 2 : 1);
        QCOMPARE(spy.last().at(0).toBool(), available);

        testroot::writeFile(stateFile, available ? "down\n" : "up\n");
        QTRY_COMPARE(spy.last().at(0).toBool(), !available);
    }
};

ZUM_TEST_MAIN(TestGuiThreadOutputs)
#include "tst_guithread_outputs.moc"
