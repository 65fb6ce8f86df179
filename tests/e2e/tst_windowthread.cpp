#include "PageActions.h"
#include "StallMonitor.h"

#include "Globals.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <thread>

// The window thread keeps running while slow tools work: each slow page
// action leaves a 20 ms timer on the window thread firing, and the heater's
// pulse (10 ms on, 110 ms off, timed on that thread) keeps its rhythm
// meanwhile. The tools take half a second or more, so a page that waited for
// them would hold the thread that long.
class TestWindowThread : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { fx.stopConsole(); }

    void initTestCase()
    {
        pageactions::setToolDelays({{"IFCONFIG", "0.5"}, {"IW", "0.4"}, {"MOUNT", "0.5"}, {"UDHCPC", "0.8"}});
        pageactions::layOutRoot();
        QVERIFY(fx.startSimulators());
        QVERIFY(fx.startConsole());
        QObject *handler = fx.window()->findChild<QObject *>("handleThread");
        QVERIFY(handler && QMetaObject::invokeMethod(handler, "setNozzleHeater", Q_ARG(bool, true)));
    }

    void pageActionLeavesTheWindowFree_data()
    {
        QTest::addColumn<int>("action");
        const QList<pageactions::PageAction> actions = pageactions::all();
        for (int i = 0; i < actions.size(); ++i)
            QTest::newRow(actions[i].name) << i;
    }

    // Rows run in script order, each on the state the one before left. The
    // heater line is sampled off the window thread, every millisecond.
    void pageActionLeavesTheWindowFree()
    {
        QFETCH(int, action);
        const pageactions::PageAction step = pageactions::all().at(action);
        std::atomic<bool> sampling{true};
        qint64 longestPhase = 0;
        std::thread sampler([&] {
            QElapsedTimer clock;
            clock.start();
            for (int level = heaterisON; sampling; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
                longestPhase = std::max(longestPhase, clock.elapsed());
                if (heaterisON != level)
                    level = heaterisON, clock.start();
            }
        });
        platform::StallMonitor monitor(20);
        const bool ended = step.start(fx) && pageactions::runUntil([&] { return step.ended(fx); }, 15000);
        sampling = false;
        sampler.join();
        QVERIFY(ended);
        QVERIFY2(monitor.longestGapMs() < 300 && longestPhase < 300,
                 qPrintable(QStringLiteral("window held %1 ms, heater phase %2 ms").arg(monitor.longestGapMs()).arg(longestPhase)));
    }

    void addressAnsweredAfterTheLinkWentDownIsDropped()
    {
        testroot::writeFile("/sim/ifconfig.out", "eth1      Link encap:Ethernet\n          inet addr:127.0.0.2  Mask:255.0.0.0\n");
        QObject *handler = fx.window()->findChild<QObject *>("handleThread");
        const auto ip = [this] { return fx.property("mainWindow", "ip").toString(); };
        QMetaObject::invokeMethod(handler, "networkAvailable", Q_ARG(bool, true));
        QTRY_COMPARE(ip(), QString("127.0.0.2"));
        fx.setProperty("mainWindow", "ip", QString("0.0.0.0"));
        QMetaObject::invokeMethod(handler, "networkAvailable", Q_ARG(bool, true));
        QMetaObject::invokeMethod(handler, "networkAvailable", Q_ARG(bool, false));
        QTRY_COMPARE(fx.property("mainWindow", "pendingAddressAnswers").toInt(), 0);
        QCOMPARE(ip(), QString());
        QFile::remove(testroot::path("/sim/ifconfig.out"));
    }

private:
    ConsoleFixture fx;
};

ZUM_TEST_GUI_MAIN(TestWindowThread)
#include "tst_windowthread.moc"
