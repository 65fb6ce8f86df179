// Heater pulsing, the DB15 and cooling-air lines, the shutdown log lines and
// the wired-link watch, against the simulated sysfs tree.
#include "CoreFixture.h"
#include "Globals.h"

#include <QSignalSpy>

using corefixture::Bench;

namespace {

struct Phase {
    int on;
    qint64 atMs;
};

// Runs the event loop for `ms` and records every change of the heater flag.
QList<Phase> watchHeater(int ms)
{
    QList<Phase> phases;
    QElapsedTimer clock;
    clock.start();
    int last = heaterisON.load();
    phases << Phase{last, 0};
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const int now = heaterisON.load();
        if (now != last)
            phases << Phase{now, clock.elapsed()};
        last = now;
    }
    return phases;
}

QByteArray level(const sim::SimSysfs &sysfs, int gpio)
{
    return sysfs.gpioValue(gpio).trimmed();
}

bool upOnBoard(Bench &bench)
{
    sim::SimSysfs::build(testroot::root());
    if (!bench.up())
        return false;
    bench.gui->intializeVariables(QStringLiteral("arm"));
    return true;
}

} // namespace

class TestGuiThreadOutputs : public QObject
{
    Q_OBJECT

private slots:
    void heaterPulsesTenOnHundredTenOff();
    void heaterOffAtOnceAndRestartsOn();
    void shutDownLogsTheRequestor();
    void linkWatch_data();
    void linkWatch();
};

void TestGuiThreadOutputs::heaterPulsesTenOnHundredTenOff()
{
    Bench bench;
    QVERIFY(upOnBoard(bench));
    bench.gui->setNozzleHeater(true);
    const QList<Phase> phases = watchHeater(700);
    bench.gui->setNozzleHeater(false);

    QCOMPARE(phases.first().on, 1);
    QVERIFY2(phases.size() >= 7, qPrintable(QString::number(phases.size())));
    for (int i = 1; i + 1 < phases.size(); ++i) {
        QCOMPARE(phases[i].on, i % 2 == 0 ? 1 : 0);
        const qint64 length = phases[i + 1].atMs - phases[i].atMs;
        if (phases[i].on)
            QVERIFY2(length >= 8 && length < 60, qPrintable(QString::number(length)));
        else
            QVERIFY2(length >= 100 && length < 200, qPrintable(QString::number(length)));
    }
    QVERIFY(testroot::readFile("/media/data/myLog.txt")
                .contains("\n GUI Thread - setNozzleHeater : Update Heater State to TRUE TRUE\n"));
    QVERIFY(testroot::readFile("/media/data/myLog.txt")
                .contains("\n GUI Thread - setNozzleHeater : Update Heater State to FALSE FALSE\n"));
}

void TestGuiThreadOutputs::heaterOffAtOnceAndRestartsOn()
{
    Bench bench;
    QVERIFY(upOnBoard(bench));
    const sim::SimSysfs sysfs(testroot::root());
    bench.gui->setNozzleHeater(true);
    QCOMPARE(level(sysfs, 507), QByteArray("1"));
    bench.gui->setNozzleHeater(false); // in the on phase
    QCOMPARE(heaterisON.load(), 0);
    QCOMPARE(level(sysfs, 507), QByteArray("0"));
    QVERIFY(!bench.gui->heaterToggleActive());
    QCOMPARE(watchHeater(200).size(), 1);

    // Enabling again during an off phase starts over with an on phase.
    bench.gui->setNozzleHeater(true);
    QTRY_COMPARE(heaterisON.load(), 0);
    bench.gui->setNozzleHeater(true);
    QCOMPARE(heaterisON.load(), 1);
    const QList<Phase> phases = watchHeater(60);
    QVERIFY(phases.size() >= 2);
    QVERIFY2(phases[1].atMs < 50, qPrintable(QString::number(phases[1].atMs)));
    bench.gui->setNozzleHeater(false);
}

void TestGuiThreadOutputs::shutDownLogsTheRequestor()
{
    Bench bench;
    QVERIFY(upOnBoard(bench));
    const sim::SimSysfs sysfs(testroot::root());
    bench.gui->shutDownContoller(QStringLiteral("PIEZO_TEMP"), true);
    QCOMPARE(level(sysfs, 508), QByteArray("1"));
    bench.gui->shutDownContoller(QStringLiteral("ESTOP"), false);
    QCOMPARE(level(sysfs, 508), QByteArray("0"));
    const QByteArray log = testroot::readFile("/media/data/myLog.txt");
    QVERIFY(log.contains("\nPIEZO_TEMP --- ShutDownContoller : TURNING OFF\n"));
    QVERIFY(log.contains("\nESTOP --- ShutDownContoller : TURNING ON\n"));
}

void TestGuiThreadOutputs::linkWatch_data()
{
    QTest::addColumn<QByteArray>("state"); // empty: no state file
    QTest::addColumn<bool>("available");
    QTest::newRow("up") << QByteArray("up\n") << true;
    QTest::newRow("down") << QByteArray("down\n") << false;
    QTest::newRow("unknown") << QByteArray("unknown\n") << false;
    QTest::newRow("missing") << QByteArray() << false;
}

void TestGuiThreadOutputs::linkWatch()
{
    QFETCH(QByteArray, state);
    QFETCH(bool, available);
    const char stateFile[] = "/sys/class/net/eth1/operstate";
    const char addressFile[] = "/media/data/ipaddress";
    QFile::remove(testroot::path(stateFile));
    if (!state.isEmpty())
        testroot::writeFile(stateFile, state);
    testroot::writeFile(addressFile, "127.0.0.1\n");

    // No board needed: the spy must be attached before the first event loop pass.
    GuiThread::Timing t = corefixture::quietTiming();
    t.linkWatchMs = 40;
    GuiThread::setTiming(t);
    GuiThread gui;
    QSignalSpy spy(&gui, &GuiThread::networkAvailable);
    // Reported once at start, then only on changes.
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), available);
    QCOMPARE(testroot::readFile(addressFile), available ? QByteArray("127.0.0.1\n") : QByteArray("\n"));
    QTest::qWait(200);
    QCOMPARE(spy.count(), 1);

    testroot::writeFile(stateFile, available ? "down\n" : "up\n");
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), !available);
}

ZUM_TEST_MAIN(TestGuiThreadOutputs)
#include "tst_guithread_outputs.moc"
