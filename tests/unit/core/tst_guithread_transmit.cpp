// Parameter transmission against the simulated board: the full write byte
// for byte, echo checks and their bounds, the trigger-mode exchange, the
// paced queue and the run package.
#include "CoreFixture.h"

#include <QSignalSpy>

using corefixture::Bench;
using corefixture::fullWrite;
using sim::BoardFault;

Q_DECLARE_METATYPE(sim::BoardFault)

class TestGuiThreadTransmit : public QObject
{
    Q_OBJECT

private slots:
    void fullWriteWaitsForEachEcho_data();
    void fullWriteWaitsForEachEcho();
    void startUpWriteOfZerosSucceeds();
    void badEchoesAreRetriedWithinBounds_data();
    void badEchoesAreRetriedWithinBounds();
    void triggerModeExchange_data();
    void triggerModeExchange();
    void pacedQueueSendsOneCharacterPerTick();
    void versionAnswerArrivesBeforeReturn();
    void runPackageText();
};

void TestGuiThreadTransmit::fullWriteWaitsForEachEcho_data()
{
    QTest::addColumn<QList<int>>("profile"); // duty, rise, dwell, fall, delay, cycles, mode
    QTest::newRow("dot mode") << QList<int>{50, 10, 100, 20, 30, 5, 0};
    QTest::newRow("line mode") << QList<int>{99, 1, 2, 3, 4, 6, 1};
    QTest::newRow("board limits") << QList<int>{150, 0, 200000, 0, 100001, 0, 0};
    QTest::newRow("mode not set") << QList<int>{50, 10, 100, 20, 30, 5, 2};
}

void TestGuiThreadTransmit::fullWriteWaitsForEachEcho()
{
    QFETCH(QList<int>, profile);
    Bench bench;
    QVERIFY(bench.up());
    if (profile[6] == 2)
        QTest::ignoreMessage(QtDebugMsg, "---------- No Mode Paramater Updated ----------------");
    QSignalSpy errors(bench.gui.get(), &GuiThread::gtCommsError);
    bench.gui->setProfileParams(3, profile[5], profile[2], profile[0], profile[1], profile[3], profile[4],
                                0, profile[6], 0);
    QVERIFY(bench.gui->lastWriteCompleted());
    const QList<QByteArray> expected
        = fullWrite(profile[0], profile[1], profile[2], profile[3], profile[4], profile[5], profile[6]);
    QCOMPARE(bench.lines(), expected);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(bench.gui->transmitted().dutyCycle, profile[0]);
    QCOMPARE(bench.gui->transmitted().dispenseCycles, profile[5]);

    // Each line goes out only after the board answered the one before
    // (the line reset with its prompt, the parameters with their echoes).
    const QList<sim::BoardChunk> in = bench.board->received();
    const QList<sim::BoardChunk> out = bench.board->sent();
    QCOMPARE(in.size(), expected.size());
    QCOMPARE(out.size(), expected.size());
    for (int i = 1; i < in.size(); ++i)
        QVERIFY(in[i].usecs >= out[i - 1].usecs);
}

void TestGuiThreadTransmit::startUpWriteOfZerosSucceeds()
{
    GuiThread::Timing timing = corefixture::quietTiming();
    timing.reinitAfterStartMs = 300;
    Bench bench;
    QTest::ignoreMessage(QtDebugMsg, "---------- No Mode Paramater Updated ----------------");
    QVERIFY(bench.up(timing));
    QSignalSpy errors(bench.gui.get(), &GuiThread::gtCommsError);
    // The board echoes 1 for the zeros of P00 to P05 (except P04).
    QTRY_COMPARE(bench.lines(), fullWrite(0, 0, 0, 0, 0, 0, 2));
    QTest::qWait(100);
    QVERIFY(bench.gui->lastWriteCompleted());
    QCOMPARE(errors.count(), 0);
    QCOMPARE(bench.lines().size(), 7);
}

void TestGuiThreadTransmit::badEchoesAreRetriedWithinBounds_data()
{
    QTest::addColumn<BoardFault>("fault");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("p04Lines");
    QTest::addColumn<int>("commsErrors");
    QTest::addColumn<bool>("completed");
    // P04 is sent 150; the board applies 99 and a wrong echo says 98.
    QTest::newRow("one wrong echo") << BoardFault::WrongEcho << 1 << 2 << 0 << true;
    QTest::newRow("three wrong echoes") << BoardFault::WrongEcho << 3 << 4 << 0 << true;
    QTest::newRow("four wrong echoes") << BoardFault::WrongEcho << 4 << 5 << 1 << true;
    QTest::newRow("always wrong") << BoardFault::WrongEcho << -1 << 10 << 7 << false;
    QTest::newRow("silent") << BoardFault::Silent << -1 << 10 << 7 << false;
}

void TestGuiThreadTransmit::badEchoesAreRetriedWithinBounds()
{
    QFETCH(BoardFault, fault);
    QFETCH(int, count);
    QFETCH(int, p04Lines);
    QFETCH(int, commsErrors);
    QFETCH(bool, completed);
    Bench bench;
    QVERIFY(bench.up());
    QSignalSpy errors(bench.gui.get(), &GuiThread::gtCommsError);
    bench.board->setFaultMode(fault, count);
    QElapsedTimer held;
    held.start();
    bench.gui->setProfileParams(1, 5, 100, 150, 10, 20, 30, 0, 0, 0);
    QVERIFY(held.elapsed() < 1500);
    QCOMPARE(bench.gui->lastWriteCompleted(), completed);
    QCOMPARE(errors.count(), commsErrors);
    const QList<QByteArray> lines = bench.lines();
    QCOMPARE(lines.count("P04:150\r"), p04Lines);
    if (completed) {
        QCOMPARE(lines.mid(1 + p04Lines), fullWrite(150, 10, 100, 20, 30, 5, 0).mid(2));
        return;
    }
    // Abandoned after the tenth attempt: nothing else went out, and the next
    // write starts over at the line reset.
    QCOMPARE(lines.size(), 1 + p04Lines);
    QVERIFY(testroot::readFile("/media/data/myLog.txt").contains("serial exchange abandoned"));
    bench.board->setFaultMode(BoardFault::None);
    bench.board->clearLog();
    bench.gui->forceWriteToSerialPort();
    QVERIFY(bench.gui->lastWriteCompleted());
    QCOMPARE(bench.lines(), fullWrite(150, 10, 100, 20, 30, 5, 0));
}

void TestGuiThreadTransmit::triggerModeExchange_data()
{
    QTest::addColumn<bool>("camera");
    QTest::addColumn<BoardFault>("fault");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sends");
    QTest::newRow("echoed at once") << true << BoardFault::None << 0 << 1;
    QTest::newRow("wrong then anything") << false << BoardFault::WrongEcho << -1 << 2;
    QTest::newRow("split echo") << true << BoardFault::SplitEcho << -1 << 2;
    QTest::newRow("silent") << true << BoardFault::Silent << -1 << 10;
}

void TestGuiThreadTransmit::triggerModeExchange()
{
    QFETCH(bool, camera);
    QFETCH(BoardFault, fault);
    QFETCH(int, count);
    QFETCH(int, sends);
    Bench bench;
    QVERIFY(bench.up());
    bench.board->setFaultMode(fault, count);
    bench.gui->sendTriggerMode(camera);
    const QByteArray line = camera ? "P28:1\r" : "P28:0\r";
    QTest::qWait(100);
    QCOMPARE(bench.lines(), QList<QByteArray>() << QVector<QByteArray>(sends, line).toList());
}

void TestGuiThreadTransmit::pacedQueueSendsOneCharacterPerTick()
{
    Bench bench;
    QVERIFY(bench.up());
    bench.gui->setServiceModeInThread(true); // before initialisation: dropped
    QTest::qWait(150);
    QCOMPARE(bench.board->receivedBytes(), QByteArray());

    bench.gui->intializeVariables("x86_64");
    bench.gui->setServiceModeInThread(true);
    QTRY_COMPARE(bench.board->receivedBytes(), QByteArray("P16:00\r"));
    const QList<sim::BoardChunk> chunks = bench.board->received();
    QCOMPARE(chunks.size(), 7);
    for (int i = 1; i < chunks.size(); ++i) {
        const qint64 gap = chunks[i].msecs() - chunks[i - 1].msecs();
        QVERIFY2(gap >= 10 && gap < 150, qPrintable(QString::number(gap)));
    }
    const qint64 span = chunks.last().msecs() - chunks.first().msecs();
    QVERIFY2(span >= 150 && span < 500, qPrintable(QString::number(span)));
}

void TestGuiThreadTransmit::versionAnswerArrivesBeforeReturn()
{
    Bench bench;
    QVERIFY(bench.up());
    bench.board->setVersionText("ZB1.04.07");
    QSignalSpy data(bench.gui.get(), &GuiThread::giveDspData);
    bench.gui->gtSendP26();
    QCOMPARE(data.count(), 1);
    QCOMPARE(data.at(0).at(0).toString(), QStringLiteral("P26:ZB1.04.07\r\n"));
    QCOMPARE(bench.lines(), QList<QByteArray>{"P26:\r"});
}

void TestGuiThreadTransmit::runPackageText()
{
    Bench bench;
    QVERIFY(bench.up());
    QSignalSpy package(bench.gui.get(), &GuiThread::txnIOTPackage);
    bench.gui->setProfileParams(7, 5, 100, 50, 10, 20, 30, 1234, 0, 3);
    QCOMPARE(package.count(), 1);
    QCOMPARE(package.at(0).at(0).toString(), QStringLiteral("1P.profile"));
    QCOMPARE(package.at(0).at(1).toString(),
             QStringLiteral("{\"dispenseCycles\":\"5,\"dwell\":\"100,\"dutyCycle\":\"50,\"riseTime\":\"10,"
                            "\"fallTime\":\"20,\"mode\":\"0,\"programValue\":\"1,\"delay\":\"30,"
                            "\"cycleCount\":\"1234,\"tuning\":\"3}"));
}

ZUM_TEST_MAIN(TestGuiThreadTransmit)
#include "tst_guithread_transmit.moc"
