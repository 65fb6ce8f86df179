// The calibration sequence on shortened timers: its end condition, the
// warm-up and running averages, and the restore of the board's mode and
// parameters after it ends or is stopped.
#include "CoreFixture.h"

#include <QSignalSpy>

using corefixture::Bench;
using corefixture::fullWrite;

namespace {

GuiThread::Timing fastCalibration(int preHeatMs)
{
    GuiThread::Timing t = corefixture::quietTiming();
    t.preHeatMs = preHeatMs;
    t.sampleMs = 5;
    t.doNotStopMs = 20;
    t.settleMs = 1;
    return t;
}

// A board whose peak value stays at `value` once the measurement starts.
bool upWithPeak(Bench &bench, int value, int preHeatMs, int runMode = 0)
{
    sim::SimSysfs::build(testroot::root());
    sim::SimSysfs(testroot::root()).setPiezoAverage(value);
    if (!bench.up(fastCalibration(preHeatMs)))
        return false;
    bench.board->setCalibrationCurve(value, value, 1000);
    bench.gui->intializeVariables(QStringLiteral("arm"));
    bench.gui->setProfileParams(1, 5, 100, 50, 10, 20, 30, 0, runMode, 0);
    bench.board->clearLog();
    return true;
}

} // namespace

class TestGuiThreadCalibration : public QObject
{
    Q_OBJECT

private slots:
    void lowPeakEndsAfterSixPasses_data();
    void lowPeakEndsAfterSixPasses();
    void averagesAfterWarmUp_data();
    void averagesAfterWarmUp();
    void stopDuringWarmUpRestoresBoard_data();
    void stopDuringWarmUpRestoresBoard();
};

void TestGuiThreadCalibration::lowPeakEndsAfterSixPasses_data()
{
    QTest::addColumn<int>("peak");
    QTest::newRow("well below") << 120;
    QTest::newRow("at the threshold") << 300;
}

void TestGuiThreadCalibration::lowPeakEndsAfterSixPasses()
{
    QFETCH(int, peak);
    Bench bench;
    QVERIFY(upWithPeak(bench, peak, 30));
    QSignalSpy maxValue(bench.gui.get(), &GuiThread::gotMaxValue);
    QSignalSpy tight(bench.gui.get(), &GuiThread::gotTightADCValue);
    QSignalSpy done(bench.gui.get(), &GuiThread::calibrationDone);
    QElapsedTimer clock;
    clock.start();
    bench.gui->sendStartCalibrationSignal();
    QVERIFY(bench.gui->isCalibrating());
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 3000);
    // The warm-up plus six passes of at least the sample interval.
    QVERIFY(clock.elapsed() >= 30 + 6 * 5);
    QCOMPARE(maxValue.count(), 1);
    QCOMPARE(maxValue.at(0).at(0).toInt(), peak);
    QCOMPARE(tight.count(), 0);
    QTRY_VERIFY(!bench.gui->isCalibrating());
    QCOMPARE(bench.lines().first(), QByteArray("P20:\r"));
    // The board goes back to its mode, then all parameters follow.
    const QList<QByteArray> expected = QList<QByteArray>{"P20:\r", "P12:0\r"} + fullWrite(50, 10, 100, 20, 30, 5, 0);
    QTRY_COMPARE_WITH_TIMEOUT(bench.lines(), expected, 3000);
}

void TestGuiThreadCalibration::averagesAfterWarmUp_data()
{
    QTest::addColumn<int>("peak");
    QTest::addColumn<int>("average");
    QTest::newRow("truncated to tens") << 457 << 450;
    QTest::newRow("just above the threshold") << 309 << 300;
    QTest::newRow("round value") << 1000 << 1000;
}

void TestGuiThreadCalibration::averagesAfterWarmUp()
{
    QFETCH(int, peak);
    QFETCH(int, average);
    Bench bench;
    QVERIFY(upWithPeak(bench, peak, 60));
    QSignalSpy maxValue(bench.gui.get(), &GuiThread::gotMaxValue);
    QSignalSpy tight(bench.gui.get(), &GuiThread::gotTightADCValue);
    QSignalSpy notice(bench.gui.get(), &GuiThread::donotStopSignal);
    QSignalSpy done(bench.gui.get(), &GuiThread::calibrationDone);
    bench.gui->sendStartCalibrationSignal();
    QTRY_COMPARE_WITH_TIMEOUT(maxValue.count(), 5, 10000);

    QCOMPARE(tight.count(), 1);
    QCOMPARE(tight.at(0).at(0).toInt(), 300);
    QCOMPARE(tight.at(0).at(1).toInt(), average);
    QList<int> reported;
    for (const QList<QVariant> &args : maxValue)
        reported << args.at(0).toInt();
    QCOMPARE(reported, (QList<int>{9999, 9999, 9999, 9999, average}));
    // The do-not-stop notice is shown before the first reading and withdrawn by it.
    QCOMPARE(notice.count(), 2);
    QCOMPARE(notice.at(0).at(0).toBool(), true);
    QCOMPARE(notice.at(1).at(0).toBool(), false);
    QCOMPARE(done.count(), 0);

    bench.gui->transmitStopCommand();
    bench.gui->stopController();
    QVERIFY(!bench.gui->isCalibrating() || QTest::qWaitFor([&] { return !bench.gui->isCalibrating(); }, 500));
    const int reports = maxValue.count();
    QTest::qWait(100);
    QCOMPARE(maxValue.count(), reports);
}

void TestGuiThreadCalibration::stopDuringWarmUpRestoresBoard_data()
{
    QTest::addColumn<int>("runMode");
    QTest::addColumn<QList<QByteArray>>("restore");
    QTest::newRow("dot mode") << 0 << (QList<QByteArray>{"P12:0\r"} + fullWrite(50, 10, 100, 20, 30, 5, 0));
    QTest::newRow("line mode") << 1
                               << (QList<QByteArray>{"P12:1\r", "P05:1000000\r"}
                                   + fullWrite(50, 10, 100, 20, 30, 5, 1));
    QTest::newRow("mode not set") << 2 << fullWrite(50, 10, 100, 20, 30, 5, 2);
}

void TestGuiThreadCalibration::stopDuringWarmUpRestoresBoard()
{
    QFETCH(int, runMode);
    QFETCH(QList<QByteArray>, restore);
    Bench bench;
    QVERIFY(upWithPeak(bench, 250, 5000, runMode));
    QSignalSpy maxValue(bench.gui.get(), &GuiThread::gotMaxValue);
    bench.gui->sendStartCalibrationSignal();
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    bench.gui->transmitStopCommand();
    bench.gui->stopController();
    QTRY_VERIFY(!bench.gui->isCalibrating());

    const QList<QByteArray> expected = QList<QByteArray>{"P20:\r", "x"} + restore;
    QTRY_COMPARE_WITH_TIMEOUT(bench.lines(), expected, 4000);
    // The full write follows 900 ms after the stop.
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(maxValue.count(), 0);
    // A second stop finds nothing left to restore.
    bench.gui->stopController();
    QTest::qWait(1100);
    QCOMPARE(bench.lines(), expected);
}

ZUM_TEST_MAIN(TestGuiThreadCalibration)
#include "tst_guithread_calibration.moc"
