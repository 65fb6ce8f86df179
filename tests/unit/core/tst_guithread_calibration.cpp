// The calibration sequence on shortened timers: its end, the warm-up and
// running averages, and the restore of the board's mode and parameters.
#include "CoreFixture.h"

using corefixture::Bench;
using corefixture::fullWrite;
using corefixture::values;

class TestGuiThreadCalibration : public QObject
{
    Q_OBJECT

    // A board whose peak value stays at `value` once the measurement starts.
    static bool upWithPeak(Bench &bench, int value, int preHeatMs, int runMode)
    {
        sim::SimSysfs::build(testroot::root());
        sim::SimSysfs(testroot::root()).setPiezoAverage(value);
        GuiThread::Timing t = corefixture::quietTiming();
        t.preHeatMs = preHeatMs;
        t.sampleMs = 5;
        t.doNotStopMs = 20;
        t.settleMs = 1;
        if (!bench.up(t))
            return false;
        bench.board->setCalibrationCurve(value, value, 1000);
        bench.gui->intializeVariables(QStringLiteral("arm"));
        bench.gui->setProfileParams(1, 5, 100, 50, 10, 20, 30, 0, runMode, 0);
        bench.board->clearLog();
        return true;
    }

private slots:
    void endOrStopRestoresBoard_data()
    {
        QTest::addColumn<bool>("stop"); // stopped during the warm-up, or ended by a low peak
        QTest::addColumn<int>("runMode");
        QTest::addColumn<QList<QByteArray>>("restore");
        const QList<QByteArray> dot = QList<QByteArray>{"P12:0\r"} + fullWrite(50, 10, 100, 20, 30, 5, 0);
        QTest::newRow("peak at the threshold") << false << 0 << dot;
        QTest::newRow("stopped, dot mode") << true << 0 << (QList<QByteArray>{"x"} + dot);
        QTest::newRow("stopped, line mode") << true << 1
                                            << (QList<QByteArray>{"x", "P12:1\r", "P05:1000000\r"}
                                                + fullWrite(50, 10, 100, 20, 30, 5, 1));
        QTest::newRow("stopped, mode not set") << true << 2
                                               << (QList<QByteArray>{"x"} + fullWrite(50, 10, 100, 20, 30, 5, 2));
    }

    void endOrStopRestoresBoard()
    {
        QFETCH(bool, stop);
        QFETCH(int, runMode);
        QFETCH(QList<QByteArray>, restore);
        Bench bench;
        QVERIFY(upWithPeak(bench, 300, stop ? 5000 : 30, runMode));
        QSignalSpy maxValue(bench.gui.get(), &GuiThread::gotMaxValue);
        QSignalSpy done(bench.gui.get(), &GuiThread::calibrationDone);
        bench.gui->sendStartCalibrationSignal();
        QElapsedTimer clock;
        clock.start();
        if (stop) {
            QTest::qWait(50);
            bench.gui->transmitStopCommand();
            bench.gui->stopController();
            clock.restart();
        }
        const QList<QByteArray> expected = QList<QByteArray>{"P20:\r"} + restore;
        QTRY_COMPARE_WITH_TIMEOUT(bench.lines(), expected, 4000);
        QVERIFY(clock.elapsed() >= 900); // the full write follows 900 ms after the end
        // Ended after six passes with the last reading and no tight value.
        QCOMPARE(values(maxValue), stop ? QList<int>{} : QList<int>{300});
        QCOMPARE(done.count(), stop ? 0 : 1);
        // A second stop finds nothing left to restore.
        bench.gui->stopController();
        QTest::qWait(1100);
        QCOMPARE(bench.lines(), expected);
    }

    void averagesAfterWarmUp()
    {
        Bench bench;
        QVERIFY(upWithPeak(bench, 457, 60, 0));
        QSignalSpy maxValue(bench.gui.get(), &GuiThread::gotMaxValue);
        QSignalSpy tight(bench.gui.get(), &GuiThread::gotTightADCValue);
        QSignalSpy notice(bench.gui.get(), &GuiThread::donotStopSignal);
        bench.gui->sendStartCalibrationSignal();
        QTRY_COMPARE_WITH_TIMEOUT(maxValue.count(), 5, 10000);
        // Four warm-up averages, then the tight value truncated to tens.
        QCOMPARE(tight.count(), 1);
        QCOMPARE(tight.at(0), (QList<QVariant>{300, 450}));
        QCOMPARE(values(maxValue), (QList<int>{9999, 9999, 9999, 9999, 450}));
        // The do-not-stop notice is shown before the first reading and withdrawn by it.
        QCOMPARE(values(notice), (QList<int>{1, 0}));
        bench.gui->stopController();
        QTRY_VERIFY(!bench.gui->isCalibrating());
        const int reports = maxValue.count();
        QTest::qWait(100);
        QCOMPARE(maxValue.count(), reports);
    }
};

ZUM_TEST_MAIN(TestGuiThreadCalibration)
#include "tst_guithread_calibration.moc"
