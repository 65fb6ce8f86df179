#include "HwTestSupport.h"

#include "InputThread.h"

#include <array>
#include <memory>

namespace {

using Values = std::array<float, 8>; // pT, pV, pC, pcbT, pcbV, aT, aV, nT
enum { PT, PV, PC, PCBT, PCBV, AT, AV, NT };

// Records every signal of one monitor as text, in order, plus the last values.
struct Recorder {
    QStringList events;
    QList<Values> emitted;

    explicit Recorder(InputThread &input)
    {
        QObject::connect(&input, &InputThread::inputValues, &input,
                         [this](float a, float b, float c, float d, float e, float f, float g, float h) {
                             emitted.append(Values{a, b, c, d, e, f, g, h});
                         });
        QObject::connect(&input, &InputThread::piezoTempFault, &input,
                         [this](bool s) { events << QString("fault %1").arg(s); });
        QObject::connect(&input, &InputThread::piezoTempExceeded, &input,
                         [this](bool s) { events << QString("exceeded %1").arg(s); });
        QObject::connect(&input, &InputThread::callForShutDown, &input,
                         [this](const QString &who, bool s) { events << QString("shutdown %1 %2").arg(who).arg(s); });
    }
    Values last() const { return emitted.value(emitted.size() - 1); }
    QStringList take() { return std::exchange(events, {}); }
};

using Channel = sim::SimSysfs::TempChannel;
constexpr Channel P = sim::SimSysfs::PiezoTemp, A = sim::SimSysfs::AmpTemp, B = sim::SimSysfs::BoostTemp,
                  N = sim::SimSysfs::NozzleTemp;

struct Step {
    Channel channel;
    double temp;
    QStringList events;
    int requestor;
    double shown;
};

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestInputThread : public QObject
{
    Q_OBJECT

private:
    sim::SimSysfs fs{testroot::root()};
    std::unique_ptr<InputThread> input;
    std::unique_ptr<Recorder> rec;

    // One monitoring cycle; the signals it gave.
    QStringList cycle()
    {
        input->refreshInputs();
        return rec->take();
    }

private slots:
    void init()
    {
        fs = freshSysfs();
        input = std::make_unique<InputThread>();
        input->setReadPauseMs(0);
        rec = std::make_unique<Recorder>(*input);
    }

    void cleanup()
    {
        rec.reset();
        input.reset();
    }

    // The temperature tests below go through the simulator's inverse of these
    // conversions; one absolute point keeps both from drifting together.
    void knownCounts()
    {
        QCOMPARE(InputThread::countsToVolts(1), 3.8147554732859135e-05f);
        QVERIFY(qAbs(InputThread::piezoTempFromCounts(20164) - 38.7f) < 0.05f);
    }

    // Each row: monitoring cycles, each after one temperature is set, with the
    // signals it must give, who holds the shutdown request afterwards and the
    // value shown for that input (9999 added: out of range; nozzle shown 4 °C low).
    void limits_data()
    {
        QTest::addColumn<bool>("nozzleControl");
        QTest::addColumn<QList<Step>>("steps");
        const QStringList piezoHot = {"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1"};
        QTest::newRow("piezo") << false << QList<Step>{
            {P, 30, {}, 0, 30}, {P, 41, {"fault 1"}, 0, 41}, {P, 42, {}, 0, 42},
            {P, 86, piezoHot, 1, 10085}, {P, 90, {}, 1, 10089}, {P, 82, {"exceeded 0"}, 1, 82},
            {P, 86, {"exceeded 1"}, 1, 10085}, // request still held: not raised twice
            {P, 79, {"exceeded 0", "shutdown PIEZO_TEMP 0"}, 0, 79},
            {P, 38.7, {}, 0, 38.7}, // inside the warning hysteresis
            {P, 37, {"fault 0"}, 0, 37}, {P, -1, piezoHot, 1, 9998}};
        QTest::newRow("amplifier hot") << false << QList<Step>{
            {A, 91, {"shutdown AMP_TEMP 1"}, 4, 10090}, {A, 87, {}, 4, 87}, {A, 84, {"shutdown AMP_TEMP 0"}, 0, 84}};
        QTest::newRow("amplifier frozen") << false << QList<Step>{
            {A, -3, {"shutdown AMP_TEMP 1"}, 4, 9996}, {A, 86, {}, 4, 86}, {A, 84, {"shutdown AMP_TEMP 0"}, 0, 84}};
        QTest::newRow("boost hot") << false << QList<Step>{{B, 86, {"shutdown BOOST_SUPPLY_TEMP 1"}, 2, 10085},
            {B, 82, {}, 2, 82}, {B, 79, {"shutdown BOOST_SUPPLY_TEMP 0"}, 0, 79}};
        QTest::newRow("cold nozzle, heater off") << false << QList<Step>{{N, 3, {}, 0, 9998}};
        // Persists until cleared, even once warm again.
        QTest::newRow("cold nozzle, heater on") << true << QList<Step>{
            {N, 3, {"shutdown NOZZLE_TEMP 1"}, 5, 9998}, {N, 60, {}, 5, 56}};
    }

    void limits()
    {
        QFETCH(bool, nozzleControl);
        QFETCH(QList<Step>, steps);
        const QMap<int, int> slotOf = {{P, PT}, {A, PCBT}, {B, AT}, {N, NT}};
        input->setNozzleControl(nozzleControl);
        for (const Step &step : steps) {
            const QString at = QString("at %1 °C").arg(step.temp);
            fs.setTemperature(step.channel, step.temp);
            QCOMPARE(cycle(), step.events);
            QCOMPARE(input->latchedRequests(), step.requestor ? 1u << step.requestor : 0u);
            const float shown = rec->last()[slotOf[step.channel]];
            QVERIFY2(qAbs(shown - step.shown) < 0.2, qPrintable(at + ": " + QString::number(shown)));
        }
    }

    // One input recovering never releases another's request, and the user
    // interface's clear leaves requests that their inputs release alone.
    void eachInputHoldsItsOwnRequest()
    {
        fs.setBoostTemp(86);
        QCOMPARE(cycle(), QStringList({"shutdown BOOST_SUPPLY_TEMP 1"}));
        fs.setPiezoTemp(90);
        fs.setAmpTemp(95);
        QCOMPARE(cycle(), QStringList({"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1", "shutdown AMP_TEMP 1"}));
        fs.setPiezoTemp(30);
        input->clearShutdownRequestor();
        QCOMPARE(cycle(), QStringList({"exceeded 0", "shutdown PIEZO_TEMP 0", "fault 0"}));
        QCOMPARE(input->latchedRequests(), (1u << InputThread::BoostSupplyTempRequestor) | (1u << InputThread::AmpTempRequestor));
    }

    // A reading off the nozzle curve shows 9995; no converter at all -9999
    // (-10003 for the nozzle) forever, with no request.
    void sentinels()
    {
        fs.setChannelText(sim::SimSysfs::NozzleTemp, "-100\n");
        QCOMPARE(cycle(), QStringList());
        QCOMPARE(rec->last()[NT], 9995.0f);
        rec->emitted.clear();
        fs.removeAdc();
        input->setNozzleControl(true);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(cycle(), QStringList());
        for (const Values &v : qAsConst(rec->emitted))
            QCOMPARE((std::array<float, 4>{v[PT], v[PCBT], v[AT], v[NT]}), (std::array<float, 4>{-9999, -9999, -9999, -10003}));
        QCOMPARE(input->latchedRequests(), 0u);
    }

    // Runs on its own thread, delivers values queued, stops on request and
    // runs again after a restart, keeping the latched request. Destroying it
    // while its loop runs must end the loop, not the process.
    void threadLifecycle()
    {
        int values = 0;
        QStringList shutdowns;
        // Lives on the test thread, so deliveries are queued as for the
        // facade; it goes before the counters, taking pending deliveries along.
        QObject receiver;
        auto thread = std::make_unique<InputThread>();
        connect(thread.get(), &InputThread::inputValues, &receiver, [&] { ++values; });
        connect(thread.get(), &InputThread::callForShutDown, &receiver,
                [&](const QString &who, bool state) { shutdowns << QString("%1 %2").arg(who).arg(state); });
        fs.setNozzleTemp(2);
        thread->start(QThread::HighestPriority);
        thread->setNozzleControl(true);
        QTRY_COMPARE_WITH_TIMEOUT(shutdowns, QStringList({"NOZZLE_TEMP 1"}), 5000);
        thread->clearShutdownRequestor();
        QTRY_COMPARE_WITH_TIMEOUT(shutdowns.size(), 2, 5000);
        thread->stopInputThread();
        QVERIFY(thread->wait(5000));
        QVERIFY(!thread->isRunningFlag());
        QCoreApplication::processEvents();
        const int before = values;
        thread->start();
        QTRY_VERIFY_WITH_TIMEOUT(values > before + 1, 5000);
        QCOMPARE(thread->latchedRequests(), 1u << InputThread::NozzleTempRequestor);
        thread.reset();
    }
};

ZUM_TEST_MAIN(TestInputThread)
#include "tst_inputthread.moc"
