#include "HwTestSupport.h"

#include "Globals.h"
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

} // namespace

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

    void constructionClearsHeaterFlag()
    {
        heaterisON.store(1);
        InputThread other;
        QCOMPARE(heaterisON.load(), 0);
        QCOMPARE(other.shutdownRequestor(), 0);
    }

    // The temperature tests below go through the simulator's inverse of these
    // conversions; one absolute point keeps both from drifting together.
    void knownCounts()
    {
        QCOMPARE(InputThread::countsToVolts(1), 3.8147554732859135e-05f);
        QVERIFY(qAbs(InputThread::piezoTempFromCounts(20164) - 38.7f) < 0.05f);
    }

    void piezoSequence()
    {
        struct Step {
            double temp;
            QStringList events;
            bool marked;
        };
        const Step steps[] = {
            {30, {}, false},
            {41, {"fault 1"}, false},
            {42, {}, false},
            {86, {"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1"}, true},
            {90, {}, true},
            {82, {"exceeded 0"}, false},
            {86, {"exceeded 1"}, true}, // request still held: not raised twice
            {79, {"exceeded 0", "shutdown PIEZO_TEMP 0"}, false},
            {38.7, {}, false}, // inside the warning hysteresis
            {37, {"fault 0"}, false},
            {-1, {"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1"}, true},
        };
        MessageLog log;
        for (const Step &step : steps) {
            fs.setPiezoTemp(step.temp);
            QCOMPARE(cycle(), step.events);
            const float pT = rec->last()[PT];
            if (step.marked)
                QVERIFY2(qAbs(pT - 9999 - step.temp) < 0.1, qPrintable(QString::number(pT)));
            else
                QVERIFY2(qAbs(pT - step.temp) < 0.1, qPrintable(QString::number(pT)));
        }
        QCOMPARE(log.matching("callForShutDown: PIEZO_TEMP.  temp:  ").size(), 2);
        QVERIFY2(QRegExp("callForShutDown: PIEZO_TEMP\\.  temp:  8[56]\\.\\d+").exactMatch(log.all().value(0)),
                 qPrintable(log.all().value(0)));
    }

    void supplyLimits_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("over");
        QTest::addColumn<double>("band");
        QTest::addColumn<double>("released");
        QTest::newRow("amplifier hot") << 9 << int(PCBT) << "AMP_TEMP" << 4 << 91.0 << 87.0 << 84.0;
        QTest::newRow("amplifier frozen") << 9 << int(PCBT) << "AMP_TEMP" << 4 << -3.0 << 86.0 << 84.0;
        QTest::newRow("boost hot") << 7 << int(AT) << "BOOST_SUPPLY_TEMP" << 2 << 86.0 << 82.0 << 79.0;
        QTest::newRow("boost frozen") << 7 << int(AT) << "BOOST_SUPPLY_TEMP" << 2 << -3.0 << 81.0 << 79.0;
    }

    void supplyLimits()
    {
        QFETCH(int, channel);
        QFETCH(int, slot);
        QFETCH(QString, name);
        QFETCH(int, code);
        QFETCH(double, over);
        QFETCH(double, band);
        QFETCH(double, released);
        const auto set = [&](double t) { fs.setTemperature(sim::SimSysfs::TempChannel(channel), t); };

        set(over);
        QCOMPARE(cycle(), QStringList({"shutdown " + name + " 1"}));
        QCOMPARE(input->shutdownRequestor(), code);
        QVERIFY(qAbs(rec->last()[slot] - 9999 - over) < 0.2);
        set(band);
        QCOMPARE(cycle(), QStringList());
        QVERIFY(qAbs(rec->last()[slot] - band) < 0.2);
        QCOMPARE(input->shutdownRequestor(), code);

        set(released);
        QCOMPARE(cycle(), QStringList({"shutdown " + name + " 0"}));
        QCOMPARE(input->shutdownRequestor(), 0);
    }

    void oneRequestorAtATime()
    {
        fs.setBoostTemp(86);
        QCOMPARE(cycle(), QStringList({"shutdown BOOST_SUPPLY_TEMP 1"}));

        fs.setPiezoTemp(90);
        fs.setAmpTemp(95);
        QCOMPARE(cycle(), QStringList({"exceeded 1"}));
        QVERIFY(rec->last()[PT] > 9999);
        QVERIFY(rec->last()[PCBT] > 9999);

        // Piezo recovering below its release limit must not release the boost request.
        fs.setPiezoTemp(30);
        QCOMPARE(cycle(), QStringList({"exceeded 0"}));
        QCOMPARE(input->shutdownRequestor(), 2);

        // Cleared by the user interface while still hot: the next hot input takes it.
        fs.setPiezoTemp(90);
        input->clearShutdownRequestor();
        QCOMPARE(cycle(), QStringList({"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1"}));
        QCOMPARE(input->shutdownRequestor(), 1);
    }

    void coldNozzle()
    {
        fs.setNozzleTemp(3);
        QCOMPARE(cycle(), QStringList());
        QVERIFY(qAbs(rec->last()[NT] - (3 + 9999 - 4)) < 0.1);
        QCOMPARE(input->shutdownRequestor(), 0);

        input->setNozzleControl(true);
        QCOMPARE(cycle(), QStringList({"shutdown NOZZLE_TEMP 1"}));
        fs.setNozzleTemp(60);
        QCOMPARE(cycle(), QStringList());
        QVERIFY(qAbs(rec->last()[NT] - 56) < 0.1);
        QCOMPARE(input->shutdownRequestor(), 5);

        input->clearShutdownRequestor();
        fs.setNozzleTemp(3);
        QCOMPARE(cycle(), QStringList({"shutdown NOZZLE_TEMP 1"}));
    }

    void unreadableAndMalformedChannels_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("slot");
        QTest::addColumn<float>("value"); // NaN: only checked to carry the out-of-range mark
        const float hot = qQNaN();
        QTest::newRow("piezo not a number") << 2 << QByteArray("junk\n")
            << QStringList({"exceeded 1", "shutdown PIEZO_TEMP 1", "fault 1"}) << int(PT) << hot;
        QTest::newRow("boost zero counts") << 7 << QByteArray("0\n")
            << QStringList({"shutdown BOOST_SUPPLY_TEMP 1"}) << int(AT) << float(-qInf());
        QTest::newRow("nozzle out of curve") << 5 << QByteArray("-100\n") << QStringList() << int(NT) << 9995.0f;
    }

    void unreadableAndMalformedChannels()
    {
        QFETCH(int, channel);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, events);
        QFETCH(int, slot);
        QFETCH(float, value);
        fs.setChannelText(channel, text);
        QCOMPARE(cycle(), events);
        if (qIsNaN(value))
            QVERIFY(rec->last()[slot] > 9000);
        else
            QCOMPARE(rec->last()[slot], value);
    }

    void missingConverter()
    {
        fs.removeAdc();
        input->setNozzleControl(true);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(cycle(), QStringList());
        for (const Values &v : qAsConst(rec->emitted))
            QCOMPARE((std::array<float, 4>{v[PT], v[PCBT], v[AT], v[NT]}), (std::array<float, 4>{-9999, -9999, -9999, -10003}));
        QCOMPARE(input->shutdownRequestor(), 0);
    }

    void unmeasuredValuesRotation()
    {
        for (int i = 0; i < 6; ++i)
            input->refreshInputs();
        const QList<std::array<float, 4>> expected = {
            {0, -9999, -9999, -9999},
            {0, 0, -9999, -9999},
            {0, 0, 0, -9999},
            {0, 0, 0, 0},
            {0, 0, 0, 0},
            {0, 0, 0, 0},
        };
        QCOMPARE(rec->emitted.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const Values v = rec->emitted[i];
            QCOMPARE((std::array<float, 4>{v[PV], v[PC], v[PCBV], v[AV]}), expected[i]);
        }
    }

    // Runs on its own thread, delivers values queued, stops on request and
    // runs again after a restart, keeping the latched request.
    void threadLifecycle()
    {
        int values = 0;
        QStringList shutdowns;
        // The receiver lives on the test thread, so deliveries are queued as for
        // the facade; it goes before the counters, taking pending deliveries along.
        QObject receiver;
        InputThread thread;
        connect(&thread, &InputThread::inputValues, &receiver, [&] { ++values; });
        connect(&thread, &InputThread::callForShutDown, &receiver,
                [&](const QString &who, bool state) { shutdowns << QString("%1 %2").arg(who).arg(state); });
        fs.setNozzleTemp(2);
        thread.start(QThread::HighestPriority);
        thread.setNozzleControl(true);
        QTRY_COMPARE_WITH_TIMEOUT(shutdowns, QStringList({"NOZZLE_TEMP 1"}), 5000);
        thread.clearShutdownRequestor();
        QTRY_COMPARE_WITH_TIMEOUT(shutdowns.size(), 2, 5000);
        thread.stopInputThread();
        QVERIFY(thread.wait(5000));
        QVERIFY(!thread.isRunningFlag());

        QCoreApplication::processEvents();
        const int before = values;
        thread.start();
        QTRY_VERIFY_WITH_TIMEOUT(values > before + 1, 5000);
        QCOMPARE(thread.shutdownRequestor(), 5);
        thread.stopInputThread();
        QVERIFY(thread.wait(5000));
    }

    // Destroying the object while its loop still runs must end the loop, not the process.
    void destroyWhileRunning()
    {
        int values = 0;
        QObject receiver;
        auto thread = std::make_unique<InputThread>();
        connect(thread.get(), &InputThread::inputValues, &receiver, [&] { ++values; });
        thread->start();
        QTRY_VERIFY_WITH_TIMEOUT(values >= 1, 5000);
        thread.reset();
    }
};

ZUM_TEST_MAIN(TestInputThread)
#include "tst_inputthread.moc"
