// The dispense machine against the simulated board: run timing, cyclic and
// sequence modes, continuous runs and the dispense-control input.
#include "CoreFixture.h"

#include <functional>

using corefixture::Bench;
using corefixture::fullWrite;
using corefixture::values;

class TestGuiThreadDispense : public QObject
{
    Q_OBJECT

    // Loads a profile; the board log is cleared so that only the run traffic remains.
    static void load(Bench &bench, int dwell, int cycles, int mode = 0, int count = 100)
    {
        bench.gui->setProfileParams(4, cycles, dwell, 50, 0, 0, 0, count, mode, 0);
        bench.board->clearLog();
    }

private slots:
    void runIsTimedInTicks_data()
    {
        QTest::addColumn<int>("dwell");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("count"); // the profile's own count before the run
        // The run lasts what the board takes: dwell [s] x cycles, in milliseconds.
        QTest::newRow("just under 500 ms") << 499999 << 1 << 0 << 100;
        QTest::newRow("just over 500 ms") << 500001 << 1 << 6 << 100;
        QTest::newRow("600 ms") << 600 << 1000 << 7 << 100;
        QTest::newRow("count stops at its limit") << 1 << 20000 << 0 << 2147480000;
    }

    void runIsTimedInTicks()
    {
        QFETCH(int, dwell);
        QFETCH(int, cycles);
        QFETCH(int, ticks);
        QFETCH(int, count);
        Bench bench;
        QVERIFY(bench.up());
        load(bench, dwell, cycles, 0, count);
        QSignalSpy percent(bench.gui.get(), &GuiThread::txnPercent);
        QSignalSpy counter(bench.gui.get(), &GuiThread::counterUpdated);
        bench.gui->setRunButtonStatus(true);
        QTRY_VERIFY_WITH_TIMEOUT(bench.gui->isIdle() && !bench.gui->runTimerActive(), 3000);
        QVERIFY(!bench.board->isDispensing()); // the run ends with the board's, not before
        QCOMPARE(values(counter), QList<int>{int(qMin<qint64>(qint64(count) + cycles, INT_MAX))});
        QCOMPARE(percent.count() - percent.count({0.01f}), ticks);
        // The run command: "P06:" alone, then the carriage return in a write of its own.
        const QList<sim::BoardChunk> in = bench.board->received();
        QVERIFY(in.size() >= 2 && in[0].bytes == "P06:" && in[1].bytes == "\r");
    }

    // Every way dispensing starts (run, repeat, line press, purge) and the
    // calibration start. Nothing starts while anything holds the valve, and
    // nothing dispenses with values other than the shown profile's (the
    // purge: its pulse count on them): a board that may hold others first
    // gets the record in full, and the start is refused when that fails.
    // Steps: "silent", "normal" (the board), "load" (dwell 1000, 5 pulses),
    // "load2" (another profile), "line" (a line-mode profile), "repeat"
    // (runs 300 ms apart), "run" (the run button), "purge", "purged"
    // (released), "hold", "db9" (the input opens; not yet polled),
    // "calibrate", "wait" (100 ms), "long" (a second's run), "reinit" (the
    // write after start-up), "|" (the lines the board receives from here on
    // are compared).
    void startsNeedTheShownValuesOnTheBoard_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<QByteArray>>("lines");
        const QList<QByteArray> run{"P06:\r"};
        const auto silentWrite = [](int duty) {
            return QList<QByteArray>{"\r"} + QVector<QByteArray>(10, "P04:" + QByteArray::number(duty) + "\r").toList();
        };
        QTest::newRow("run after a failed write") << "silent,load,normal,|,run"
                                                  << fullWrite(50, 0, 1000, 0, 0, 5, 0) + run;
        QTest::newRow("run, board still silent") << "silent,load,|,run" << silentWrite(50);
        QTest::newRow("purge") << "load,|,purge" << fullWrite(50, 0, 1000, 0, 0, 999999, 0) + run;
        QTest::newRow("run after a purge") << "load,purge,purged,|,run" << fullWrite(50, 0, 1000, 0, 0, 5, 0) + run;
        QTest::newRow("repeat after a failed write") << "load,repeat,run,wait,silent,load2,|" << silentWrite(60);
        QTest::newRow("line press, then a hold") << "line,|,run,hold" << QList<QByteArray>{"P05:1000000\r", "x"};
        QTest::newRow("run as the DB9 input opens") << "load,db9,|,run" << QList<QByteArray>{};
        QTest::newRow("calibration while held") << "load,hold,|,calibrate" << QList<QByteArray>{};
        QTest::newRow("start-up write during a run") << "long,run,|,reinit" << QList<QByteArray>{}; // waits for its end
    }

    void startsNeedTheShownValuesOnTheBoard()
    {
        QFETCH(QString, steps);
        QFETCH(QList<QByteArray>, lines);
        sim::SimSysfs::build(testroot::root());
        struct Db9Closed { // for the tests that follow, whatever happens here
            ~Db9Closed() { sim::SimSysfs(testroot::root()).setDispenseControl(1); }
        } db9Closed;
        Bench bench;
        QVERIFY(bench.up());
        GuiThread *gui = bench.gui.get();
        const QMap<QString, std::function<void()>> act{
            {"db9", [&] { sim::SimSysfs(testroot::root()).setDispenseControl(0); }},
            {"silent", [&] { bench.board->setFaultMode(sim::BoardFault::Silent); }},
            {"normal", [&] { bench.board->setFaultMode(sim::BoardFault::None); }},
            {"load", [&] { gui->setProfileParams(4, 5, 1000, 50, 0, 0, 0, 100, 0, 0); }},
            {"load2", [&] { gui->setProfileParams(5, 7, 200, 60, 0, 0, 0, 100, 0, 0); }},
            {"long", [&] { gui->setProfileParams(4, 200, 5000, 50, 0, 0, 0, 100, 0, 0); }}, // a second
            {"reinit", [&] { gui->reinitParamList(); }},
            {"line", [&] { gui->setProfileParams(4, 2, 1000, 50, 0, 0, 0, 100, 1, 0); }},
            {"repeat", [&] { gui->setRunConfig(true, 300, false, 0, 0); }},
            {"run", [&] { gui->setRunButtonStatus(true); }},
            {"purge", [&] { gui->setPurgeInThread(true); }},
            {"purged", [&] { gui->setPurgeInThread(false); }},
            {"hold", [&] { gui->holdValve(true); }},
            {"calibrate", [&] { gui->sendStartCalibrationSignal(); }},
            {"wait", [&] { QTest::qWait(100); }},
            {"|", [&] { QThread::msleep(50), bench.board->clearLog(); }}, // once the board read what went out
        };
        for (const QString &step : steps.split(','))
            act[step]();
        QTRY_COMPARE_WITH_TIMEOUT(bench.lines(), lines, 4000);
        QTest::qWait(400);
        QCOMPARE(bench.lines(), lines);
    }

    void cyclicModeRepeatsUntilPressedAgain()
    {
        Bench bench;
        QVERIFY(bench.up());
        load(bench, 60000, 5); // 300 ms on the board, too short to be timed in ticks
        bench.gui->setRunConfig(true, 200, false, 0, 0);
        QSignalSpy counter(bench.gui.get(), &GuiThread::counterUpdated);
        bench.gui->setRunButtonStatus(true);
        QTRY_VERIFY_WITH_TIMEOUT(counter.count() >= 3, 3000);
        bench.gui->setRunButtonStatus(true); // the operator's stop
        QTRY_VERIFY(bench.gui->isIdle());
        QCOMPARE(values(counter).mid(0, 3), (QList<int>{105, 110, 115}));
        QList<qint64> starts;
        for (const sim::BoardChunk &c : bench.board->received())
            if (c.bytes == "P06:")
                starts << c.msecs();
        QCOMPARE(starts.size(), counter.count());
        QVERIFY(starts[2] - starts[1] >= 480); // the board's run, then the delay
        QTRY_COMPARE(bench.board->received().last().bytes, QByteArray("x"));
    }

    void sequenceModeStepsOnCountReports_data()
    {
        QTest::addColumn<bool>("seqMode");
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QList<int>>("profiles");
        const QByteArray report = sim::countReport(5);
        QTest::newRow("steps and wraps") << true << report << QList<int>{2, 3, 4, 2};
        QTest::newRow("three in a chunk step once") << true << report + report + report << QList<int>{2, 3, 4, 2};
        QTest::newRow("other data") << true << QByteArray("P26:ZB1\r\n") << QList<int>{};
        QTest::newRow("sequence mode off") << false << report << QList<int>{};
    }

    void sequenceModeStepsOnCountReports()
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
        QCOMPARE(values(update), profiles);
    }

    void continuousRunWhilePressed()
    {
        Bench bench;
        QVERIFY(bench.up());
        load(bench, 100, 250, 1);
        bench.gui->setRunConfig(false, 1, true, 2, 4);
        QSignalSpy update(bench.gui.get(), &GuiThread::updateProfile);
        bench.gui->setRunButtonStatus(true);
        QTRY_COMPARE(bench.lines(), (QList<QByteArray>{"P05:1000000\r", "P06:\r"}));
        // The press makes the loaded profile (4) the sequence position.
        bench.board->send(sim::countReport(1));
        QTRY_COMPARE(values(update), QList<int>{2});
        bench.gui->setRunButtonStatus(false);
        QTRY_COMPARE(bench.lines(), (QList<QByteArray>{"P05:1000000\r", "P06:\r", "P05:250\r"}));
        QTRY_VERIFY(!bench.board->isDispensing());
    }

    void dispenseControlInputForcesIdle()
    {
        sim::SimSysfs::build(testroot::root());
        sim::SimSysfs sysfs(testroot::root());
        Bench bench;
        QVERIFY(bench.up());
        load(bench, 100000, 100); // a six-second run
        QSignalSpy stopped(bench.gui.get(), &GuiThread::stopDispenseActivated);
        bench.gui->setRunButtonStatus(true);
        sysfs.setDispenseControl(0);
        QTRY_VERIFY_WITH_TIMEOUT(bench.gui->isIdle(), 500);
        // While the input stays low, stops come every 100 ms and no run lasts.
        stopped.clear();
        bench.gui->setRunButtonStatus(true);
        QTest::qWait(650);
        QVERIFY(bench.gui->isIdle() && !stopped.contains({false}));
        QVERIFY2(stopped.count() >= 4 && stopped.count() <= 8, qPrintable(QString::number(stopped.count())));
        sysfs.setDispenseControl(1);
        QTRY_VERIFY(!stopped.isEmpty() && !stopped.last().at(0).toBool());
    }
};

ZUM_TEST_MAIN(TestGuiThreadDispense)
#include "tst_guithread_dispense.moc"
