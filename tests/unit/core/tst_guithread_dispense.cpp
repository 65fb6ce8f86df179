// The dispense machine against the simulated board: run timing and
// progress, cyclic and sequence modes, continuous runs, the stop on a second
// press and the dispense-control input.
#include "CoreFixture.h"

#include <QSignalSpy>

using corefixture::Bench;

namespace {

QList<float> progressValues(const QSignalSpy &spy)
{
    QList<float> out;
    for (const QList<QVariant> &args : spy)
        if (args.at(0).toFloat() != 0.01f)
            out << args.at(0).toFloat();
    return out;
}

// Loads a dot-mode profile with the given dwell and cycle count; the board
// log is cleared afterwards so that only the run traffic remains.
void loadDotProfile(Bench &bench, int dwell, int cycles, int mode = 0)
{
    bench.gui->setProfileParams(4, cycles, dwell, 50, 0, 0, 0, 100, mode, 0);
    QTest::qWait(50);
    bench.board->clearLog();
}

} // namespace

class TestGuiThreadDispense : public QObject
{
    Q_OBJECT

private slots:
    void runIsTimedInTicks_data();
    void runIsTimedInTicks();
    void cyclicModeRepeatsUntilPressedAgain();
    void sequenceModeStepsOnCountReports_data();
    void sequenceModeStepsOnCountReports();
    void continuousRunWhilePressed();
    void dispenseControlInputForcesIdle();
    void ownThreadEndsWhenIdle();
};

void TestGuiThreadDispense::runIsTimedInTicks_data()
{
    QTest::addColumn<int>("dwell");
    QTest::addColumn<int>("cycles");
    QTest::addColumn<int>("ticks");
    // runDuration = dwell [s] x cycles x 600 in single precision.
    QTest::newRow("just under 500 ms") << 833333 << 1 << 0;
    QTest::newRow("just over 500 ms") << 833334 << 1 << 6;
    QTest::newRow("600 ms") << 1000 << 1000 << 7;
    QTest::newRow("60 ms") << 1000 << 100 << 0;
}

void TestGuiThreadDispense::runIsTimedInTicks()
{
    QFETCH(int, dwell);
    QFETCH(int, cycles);
    QFETCH(int, ticks);
    Bench bench;
    QVERIFY(bench.up());
    loadDotProfile(bench, dwell, cycles);
    QSignalSpy percent(bench.gui.get(), &GuiThread::txnPercent);
    QSignalSpy counter(bench.gui.get(), &GuiThread::counterUpdated);
    QSignalSpy running(bench.gui.get(), &GuiThread::setRunInProgress);

    QElapsedTimer clock;
    clock.start();
    bench.gui->setRunButtonStatus(true);
    QTRY_VERIFY_WITH_TIMEOUT(running.count() >= 2, 3000);
    QCOMPARE(running.first().at(0).toBool(), true);
    QCOMPARE(running.last().at(0).toBool(), false);
    QVERIFY(bench.gui->isIdle());
    QVERIFY(!bench.gui->runTimerActive());
    QCOMPARE(counter.count(), 1);
    QCOMPARE(counter.at(0).at(0).toInt(), 100 + cycles);

    const QList<float> progress = progressValues(percent);
    QCOMPARE(progress.size(), ticks);
    for (int i = 0; i < progress.size(); ++i)
        QVERIFY(qAbs(progress[i] - 80.0f * (i + 1) / bench.gui->currentRunDuration() * 100.0f) < 0.01f);
    if (ticks)
        QVERIFY(clock.elapsed() >= 80 * ticks);

    // The run command: "P06:" alone, then the carriage return about 20 ms later.
    const QList<sim::BoardChunk> in = bench.board->received();
    QVERIFY(in.size() >= 2);
    QCOMPARE(in[0].bytes, QByteArray("P06:"));
    QCOMPARE(in[1].bytes, QByteArray("\r"));
    // Board-side read times jitter on a busy machine; two reads is the point.
    QVERIFY2(in[1].msecs() - in[0].msecs() >= 5, qPrintable(QString::number(in[1].msecs() - in[0].msecs())));
}

void TestGuiThreadDispense::cyclicModeRepeatsUntilPressedAgain()
{
    Bench bench;
    QVERIFY(bench.up());
    loadDotProfile(bench, 1000, 5);
    bench.gui->setRunConfig(true, 200, false, 0, 0);
    QSignalSpy counter(bench.gui.get(), &GuiThread::counterUpdated);
    bench.gui->setRunButtonStatus(true);
    QTRY_VERIFY_WITH_TIMEOUT(counter.count() >= 3, 3000);
    QVERIFY(!bench.gui->isIdle());
    QCOMPARE(counter.at(0).at(0).toInt(), 105);
    QCOMPARE(counter.at(1).at(0).toInt(), 110);
    QCOMPARE(counter.at(2).at(0).toInt(), 115);

    // A press between repetitions is the operator's stop.
    bench.gui->setRunButtonStatus(true);
    QVERIFY(bench.gui->isIdle() || QTest::qWaitFor([&] { return bench.gui->isIdle(); }, 500));
    bench.gui->setRunButtonStatus(false);
    const int runs = counter.count();
    QTest::qWait(400);
    QCOMPARE(counter.count(), runs);

    QList<qint64> starts;
    for (const sim::BoardChunk &c : bench.board->received())
        if (c.bytes == "P06:")
            starts << c.msecs();
    QCOMPARE(starts.size(), runs);
    for (int i = 1; i < starts.size(); ++i)
        QVERIFY2(starts[i] - starts[i - 1] >= 180, qPrintable(QString::number(starts[i] - starts[i - 1])));
    QCOMPARE(bench.board->received().last().bytes, QByteArray("x"));
}

void TestGuiThreadDispense::sequenceModeStepsOnCountReports_data()
{
    QTest::addColumn<bool>("seqMode");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QList<int>>("profiles");
    const QByteArray report = sim::countReport(5);
    QTest::newRow("steps and wraps") << true << report << QList<int>{2, 3, 4, 2};
    QTest::newRow("three reports in a chunk step once") << true << report + report + report
                                                        << QList<int>{2, 3, 4, 2};
    QTest::newRow("other data") << true << QByteArray("P26:ZB1\r\n") << QList<int>{};
    QTest::newRow("sequence mode off") << false << report << QList<int>{};
}

void TestGuiThreadDispense::sequenceModeStepsOnCountReports()
{
    QFETCH(bool, seqMode);
    QFETCH(QByteArray, chunk);
    QFETCH(QList<int>, profiles);
    Bench bench;
    QVERIFY(bench.up());
    bench.gui->setRunConfig(false, 1, seqMode, 2, 4);
    QSignalSpy update(bench.gui.get(), &GuiThread::updateProfile);
    QSignalSpy data(bench.gui.get(), &GuiThread::giveDspData);
    for (int i = 0; i < 4; ++i) {
        bench.board->send(chunk);
        QTRY_COMPARE(data.count(), i + 1);
        QCOMPARE(data.last().at(0).toString(), QString::fromLatin1(chunk));
    }
    QList<int> got;
    for (const QList<QVariant> &args : update)
        got << args.at(0).toInt();
    QCOMPARE(got, profiles);
}

void TestGuiThreadDispense::continuousRunWhilePressed()
{
    Bench bench;
    QVERIFY(bench.up());
    loadDotProfile(bench, 100, 250, 1);
    bench.gui->setRunConfig(false, 1, true, 2, 4);
    QSignalSpy update(bench.gui.get(), &GuiThread::updateProfile);
    bench.gui->setRunButtonStatus(true);
    QTRY_COMPARE(bench.lines(), (QList<QByteArray>{"P05:1000000\r", "P06:\r"}));
    const QList<sim::BoardChunk> in = bench.board->received();
    QVERIFY(in[1].msecs() - in[0].msecs() >= 25);
    QVERIFY(bench.board->isDispensing());

    // The press makes the loaded profile (4) the sequence position.
    bench.board->send(sim::countReport(1));
    QTRY_COMPARE(update.count(), 1);
    QCOMPARE(update.at(0).at(0).toInt(), 2);

    bench.gui->setRunButtonStatus(false);
    QTRY_COMPARE(bench.lines(), (QList<QByteArray>{"P05:1000000\r", "P06:\r", "P05:250\r"}));
    QVERIFY(bench.board->received().last().msecs() - in.last().msecs() >= 25);
    QTRY_VERIFY(!bench.board->isDispensing());
}

void TestGuiThreadDispense::dispenseControlInputForcesIdle()
{
    sim::SimSysfs::build(testroot::root());
    sim::SimSysfs sysfs(testroot::root());
    Bench bench;
    QVERIFY(bench.up());
    loadDotProfile(bench, 100000, 100); // a six-second run
    QSignalSpy stopped(bench.gui.get(), &GuiThread::stopDispenseActivated);
    bench.gui->setRunButtonStatus(true);
    QVERIFY(!bench.gui->isIdle());

    sysfs.setDispenseControl(0);
    QTRY_VERIFY_WITH_TIMEOUT(bench.gui->isIdle(), 500);
    stopped.clear();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(650);
    int active = 0;
    for (const QList<QVariant> &args : stopped)
        active += args.at(0).toBool() ? 1 : 0;
    QCOMPARE(active, stopped.count());
    QVERIFY2(active >= 4 && active <= 8, qPrintable(QString::number(active)));

    // A run cannot start while the input stays low.
    bench.gui->setRunButtonStatus(true);
    QTRY_VERIFY_WITH_TIMEOUT(bench.gui->isIdle(), 500);

    sysfs.setDispenseControl(1);
    QTRY_VERIFY(!stopped.isEmpty() && !stopped.last().at(0).toBool());
}

void TestGuiThreadDispense::ownThreadEndsWhenIdle()
{
    Bench bench;
    QVERIFY(bench.up());
    bench.gui->start(QThread::HighPriority);
    QVERIFY(bench.gui->isRunning());
    bench.gui->intializeVariables(QStringLiteral("x86_64"));
    QVERIFY(bench.gui->wait(2000));

    // Started for a run, the loop is asked to end when the machine is back in Idle.
    loadDotProfile(bench, 1000, 10);
    bench.gui->start(QThread::HighPriority);
    bench.gui->setRunButtonStatus(true);
    QTRY_VERIFY(bench.gui->isIdle());
    QVERIFY(bench.gui->wait(2000));
    QVERIFY(bench.gui->isFinished());
}

ZUM_TEST_MAIN(TestGuiThreadDispense)
#include "tst_guithread_dispense.moc"
