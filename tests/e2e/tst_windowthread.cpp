#include "PageActions.h"
#include "StallMonitor.h"

#include "Globals.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <thread>

// The window thread keeps running while slow tools work: each slow page
// action leaves a 20 ms timer on the window thread firing, the heater's pulse
// (10 ms on, 110 ms off, timed on that thread) keeps its rhythm meanwhile, and
// start-up does not wait for dmesg. The tools take half a second or more, so
// a page that waited for them would hold the thread that long.
class TestWindowThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { fx.stopConsole(); }
    void pageActionLeavesTheWindowFree_data();
    void pageActionLeavesTheWindowFree();
    void addressAnsweredAfterTheLinkWentDownIsDropped();
    void startUpDidNotWaitForTheDriverVersion();

private:
    ConsoleFixture fx;
    qint64 startUpMs = 0;
    QString versionWhenUp;
};

void TestWindowThread::initTestCase()
{
    pageactions::setToolDelays({{"DMESG", "2"}, {"IFCONFIG", "0.5"}, {"IW", "0.4"}, {"MOUNT", "0.5"},
                                {"UDHCPC", "0.8"}});
    pageactions::layOutRoot();
    QVERIFY(fx.startSimulators());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(fx.startConsole());
    startUpMs = clock.elapsed();
    versionWhenUp = fx.property("mainWindow", "driverVersion").toString();
    QObject *handler = fx.window()->findChild<QObject *>("handleThread");
    QVERIFY(handler && QMetaObject::invokeMethod(handler, "setNozzleHeater", Q_ARG(bool, true)));
}

void TestWindowThread::pageActionLeavesTheWindowFree_data()
{
    QTest::addColumn<int>("action");
    const QList<pageactions::PageAction> actions = pageactions::all();
    for (int i = 0; i < actions.size(); ++i)
        QTest::newRow(actions[i].name) << i;
}

// Rows run in script order, each on the state the one before left. The
// heater line is sampled off the window thread, every millisecond.
void TestWindowThread::pageActionLeavesTheWindowFree()
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

void TestWindowThread::addressAnsweredAfterTheLinkWentDownIsDropped()
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

// dmesg takes 2 s: the operating screen was up before it answered.
void TestWindowThread::startUpDidNotWaitForTheDriverVersion()
{
    QVERIFY2(startUpMs < 2000 && versionWhenUp == " ", qPrintable(QString::number(startUpMs) + versionWhenUp));
    QTRY_COMPARE_WITH_TIMEOUT(fx.property("mainWindow", "driverVersion").toString(), QString("1.0.7"), 5000);
}

ZUM_TEST_GUI_MAIN(TestWindowThread)
#include "tst_windowthread.moc"
