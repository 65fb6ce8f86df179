#include "PageActions.h"
#include "StallMonitor.h"

#include "Globals.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <thread>

// The window thread keeps running while slow tools work: the start-up does
// not wait for dmesg, each slow page action leaves a 20 ms timer on the
// window thread firing, and the heater's pulse keeps its timing during a join.
// The tools take half a second or more each, so a page that waited for them
// would hold the thread that long.
class TestWindowThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void heaterKeepsItsPulseDuringAJoin();
    void pageActionLeavesTheWindowFree_data();
    void pageActionLeavesTheWindowFree();
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
}

void TestWindowThread::cleanupTestCase()
{
    fx.stopConsole();
}

// Sampled off the window thread, every millisecond, while an open network is joined.
void TestWindowThread::heaterKeepsItsPulseDuringAJoin()
{
    QObject *handler = fx.window()->findChild<QObject *>("handleThread");
    QVERIFY(handler && QMetaObject::invokeMethod(handler, "setNozzleHeater", Q_ARG(bool, true)));
    std::atomic<bool> sampling{true};
    QList<qint64> edges; // ms of each change of the heater line
    std::thread sampler([&] {
        QElapsedTimer clock;
        clock.start();
        for (int last = heaterisON.load(); sampling; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
            if (heaterisON.load() != last) {
                last = heaterisON.load();
                edges.append(clock.elapsed());
            }
        }
    });
    fx.setProperty("wifiSettingsID", "connectionStatus", false);
    fx.call("wifiSettingsID", "joinNetwork", {"ZumGuest", "", "Connecting to ", false});
    const bool joined = pageactions::runUntil(
        [this] { return fx.property("wifiSettingsID", "statusText").toString() == "Connected to ZumGuest"; }, 10000);
    sampling = false;
    sampler.join();
    QMetaObject::invokeMethod(handler, "setNozzleHeater", Q_ARG(bool, false));
    QVERIFY(joined);
    qint64 longestPhase = 0;
    for (int i = 1; i < edges.size(); ++i)
        longestPhase = std::max(longestPhase, edges[i] - edges[i - 1]);
    QVERIFY2(edges.size() >= 10 && longestPhase < 300,
             qPrintable(QStringLiteral("%1 edges, longest phase %2 ms").arg(edges.size()).arg(longestPhase)));
}

void TestWindowThread::pageActionLeavesTheWindowFree_data()
{
    QTest::addColumn<int>("action");
    const QList<pageactions::PageAction> actions = pageactions::all();
    for (int i = 0; i < actions.size(); ++i)
        QTest::newRow(actions[i].name) << i;
}

// Rows run in script order, each on the state the one before left.
void TestWindowThread::pageActionLeavesTheWindowFree()
{
    QFETCH(int, action);
    const pageactions::PageAction step = pageactions::all().at(action);
    platform::StallMonitor monitor(20);
    QVERIFY(step.start(fx));
    QVERIFY(pageactions::runUntil([&] { return step.ended(fx); }, 15000));
    QVERIFY2(monitor.longestGapMs() < 300, qPrintable(QString::number(monitor.longestGapMs())));
}

// dmesg takes 2 s: the operating screen was up before it answered.
void TestWindowThread::startUpDidNotWaitForTheDriverVersion()
{
    QVERIFY2(startUpMs < 2000 && versionWhenUp == " ", qPrintable(QString::number(startUpMs) + versionWhenUp));
    QTRY_COMPARE_WITH_TIMEOUT(fx.property("mainWindow", "driverVersion").toString(), QString("1.0.7"), 5000);
}

ZUM_TEST_GUI_MAIN(TestWindowThread)
#include "tst_windowthread.moc"
