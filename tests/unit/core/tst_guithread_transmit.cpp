// Parameter transmission against the simulated board: the full write byte
// for byte, echo checks and their bounds, exchanges asked for while a reply
// is handled, the trigger-mode exchange, the paced queue and the run package.
#include "CoreFixture.h"

#include <thread>

using corefixture::Bench;
using corefixture::fullWrite;
using sim::BoardFault;

Q_DECLARE_METATYPE(sim::BoardFault)

class TestGuiThreadTransmit : public QObject
{
    Q_OBJECT

private slots:
    void fullWriteWaitsForEachEcho_data()
    {
        QTest::addColumn<QList<int>>("profile"); // duty, rise, dwell, fall, delay, cycles, mode
        QTest::newRow("dot mode") << QList<int>{50, 10, 100, 20, 30, 5, 0};
        QTest::newRow("line mode") << QList<int>{99, 1, 2, 3, 4, 6, 1};
        // The board echoes its limits: 99 for a duty of 100 or more, 100000 above it, 1 for 0.
        QTest::newRow("duty at the limit") << QList<int>{100, 10, 100, 20, 30, 5, 0};
        QTest::newRow("board limits") << QList<int>{150, 0, 200000, 0, 100001, 0, 0};
        QTest::newRow("all zeros, mode not set") << QList<int>{0, 0, 0, 0, 0, 0, 2};
    }

    void fullWriteWaitsForEachEcho()
    {
        QFETCH(QList<int>, profile);
        Bench bench;
        QVERIFY(bench.up());
        if (profile[6] == 2)
            QTest::ignoreMessage(QtDebugMsg, "---------- No Mode Paramater Updated ----------------");
        QSignalSpy errors(bench.gui.get(), &GuiThread::gtCommsError);
        bench.gui->setProfileParams(3, profile[5], profile[2], profile[0], profile[1], profile[3], profile[4], 0,
                                    profile[6], 0);
        QVERIFY(bench.gui->lastWriteCompleted());
        const QList<QByteArray> expected
            = fullWrite(profile[0], profile[1], profile[2], profile[3], profile[4], profile[5], profile[6]);
        QCOMPARE(bench.lines(), expected);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(bench.gui->transmitted().dispenseCycles, profile[5]);
        // Each line goes out only after the board answered the one before.
        const QList<sim::BoardChunk> in = bench.board->received(), out = bench.board->sent();
        for (int i = 1; i < in.size(); ++i)
            QVERIFY(in[i].usecs >= out[i - 1].usecs);
    }

    void badEchoesAreRetriedWithinBounds_data()
    {
        QTest::addColumn<bool>("trigger");       // the trigger-mode exchange, else a full write
        QTest::addColumn<BoardFault>("fault");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("reportWaiting"); // a count report is unread when the exchange starts
        QTest::addColumn<int>("sends");          // of the first verified line
        QTest::addColumn<int>("commsErrors");
        QTest::addColumn<bool>("afterAbandoned"); // a write to a silent board was abandoned just before
        // P04 is sent 150; the board applies 99 and a wrong echo says 98.
        QTest::newRow("three wrong echoes") << false << BoardFault::WrongEcho << 3 << false << 4 << 0 << false;
        QTest::newRow("four wrong echoes") << false << BoardFault::WrongEcho << 4 << false << 5 << 1 << false;
        QTest::newRow("always wrong") << false << BoardFault::WrongEcho << -1 << false << 10 << 7 << false;
        QTest::newRow("silent") << false << BoardFault::Silent << -1 << false << 10 << 7 << false;
        // Without re-arming, the attempt after a checked wrong echo passes whatever comes.
        QTest::newRow("trigger wrong then anything") << true << BoardFault::WrongEcho << -1 << false << 2 << 0 << false;
        QTest::newRow("trigger wrong behind a waiting report") << true << BoardFault::WrongEcho << 1 << true << 2 << 0
                                                               << false;
        QTest::newRow("trigger split echo") << true << BoardFault::SplitEcho << -1 << false << 2 << 0 << false;
        QTest::newRow("trigger silent") << true << BoardFault::Silent << -1 << false << 10 << 7 << false;
        // Each write counts its own failures.
        QTest::newRow("one wrong echo after an abandoned write") << false << BoardFault::WrongEcho << 1 << false << 2 << 0
                                                                 << true;
        QTest::newRow("trigger wrong after an abandoned write") << true << BoardFault::WrongEcho << 1 << false << 2 << 0
                                                                << true;
    }

    void badEchoesAreRetriedWithinBounds()
    {
        QFETCH(bool, trigger);
        QFETCH(BoardFault, fault);
        QFETCH(int, count);
        QFETCH(bool, reportWaiting);
        QFETCH(int, sends);
        QFETCH(int, commsErrors);
        QFETCH(bool, afterAbandoned);
        Bench bench;
        QVERIFY(bench.up());
        if (afterAbandoned) {
            bench.board->setFaultMode(BoardFault::Silent);
            bench.gui->setProfileParams(1, 5, 100, 150, 10, 20, 30, 0, 0, 0);
            bench.board->setFaultMode(BoardFault::None);
            bench.board->clearLog();
        }
        QSignalSpy errors(bench.gui.get(), &GuiThread::gtCommsError);
        bench.board->setFaultMode(fault, count);
        if (reportWaiting) {
            bench.board->send(sim::countReport(1));
            QThread::msleep(100); // no event loop: it stays unread
        }
        QElapsedTimer held;
        held.start();
        if (trigger)
            bench.gui->sendTriggerMode(true);
        else
            bench.gui->setProfileParams(1, 5, 100, 150, 10, 20, 30, 0, 0, 0);
        QVERIFY(held.elapsed() < 1500);
        QTest::qWait(100);
        QCOMPARE(errors.count(), commsErrors);
        const QList<QByteArray> lines = bench.lines();
        QCOMPARE(lines.count(trigger ? "P28:1\r" : "P04:150\r"), sends);
        // A failed write is abandoned after the tenth attempt, with nothing else sent.
        const QList<QByteArray> all = fullWrite(150, 10, 100, 20, 30, 5, 0);
        const bool done = trigger || count > 0;
        QCOMPARE(lines.size(), trigger ? sends : done ? all.size() + sends - 1 : 1 + sends);
        if (!trigger)
            QCOMPARE(bench.gui->lastWriteCompleted(), done);
    }

    void requestsDuringAReplyRunAfterIt_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<bool>("duringFailedWrite"); // the report comes while a write to a silent board fails
        QTest::addColumn<QList<QByteArray>>("lines");
        const QList<QByteArray> next = fullWrite(60, 11, 200, 21, 31, 7, 0);
        QTest::newRow("next profile") << 0 << false << next;
        QTest::newRow("trigger mode") << 1 << false << QList<QByteArray>{"P28:1\r"};
        QTest::newRow("version") << 2 << false << QList<QByteArray>{"P26:\r"};
        QTest::newRow("next profile, write abandoned") << 0 << true << next;
    }

    // A count report steps the sequence; the page answers with requests at
    // once, from inside the report's delivery.
    void requestsDuringAReplyRunAfterIt()
    {
        QFETCH(int, request);
        QFETCH(bool, duringFailedWrite);
        QFETCH(QList<QByteArray>, lines);
        Bench bench;
        QVERIFY(bench.up());
        bench.gui->setRunConfig(false, 1, true, 2, 4);
        GuiThread *gui = bench.gui.get();
        connect(gui, &GuiThread::updateProfile, gui, [gui, request] {
            if (request == 0)
                gui->setProfileParams(2, 7, 200, 60, 11, 21, 31, 0, 0, 0);
            else if (request == 1)
                gui->sendTriggerMode(true);
            else
                gui->gtSendP26();
        });
        QSignalSpy data(gui, &GuiThread::giveDspData);
        const int failedLines = duringFailedWrite ? 11 : 0; // the line reset and ten P04
        if (duringFailedWrite) {
            bench.board->setFaultMode(BoardFault::Silent, failedLines);
            std::thread report([&bench] {
                QThread::msleep(300);
                bench.board->send(sim::countReport(1));
            });
            gui->setProfileParams(1, 5, 100, 50, 10, 20, 30, 0, 0, 0);
            report.join();
            QVERIFY(!gui->lastWriteCompleted());
        } else {
            bench.board->send(sim::countReport(1));
        }
        QTRY_COMPARE(bench.lines().mid(failedLines), lines);
        QTest::qWait(150);
        QCOMPARE(bench.lines().mid(failedLines), lines); // each line once
        // Every answer was handled, each as its own chunk.
        QStringList chunks, sent;
        for (const QList<QVariant> &args : data)
            chunks << args.at(0).toString();
        for (const sim::BoardChunk &c : bench.board->sent())
            sent << QString::fromLatin1(c.bytes);
        QCOMPARE(chunks, sent);
    }

    void pacedQueueSendsWholeCommands()
    {
        Bench bench;
        QVERIFY(bench.up());
        bench.gui->setServiceModeInThread(true); // before initialisation: dropped
        bench.gui->intializeVariables("x86_64");
        bench.gui->setServiceModeInThread(true);
        QTRY_COMPARE(bench.board->receivedBytes(), QByteArray("P16:00\r"));
        const QList<sim::BoardChunk> chunks = bench.board->received();
        QCOMPARE(chunks.size(), 7);
        const qint64 span = chunks.last().msecs() - chunks.first().msecs();
        QVERIFY2(span >= 150 && span < 500, qPrintable(QString::number(span)));

        // A run ending (Idle) while a command is half sent lets it finish.
        bench.gui->setProfileParams(1, 100, 100000, 50, 0, 0, 0, 0, 0, 0);
        bench.gui->setRunButtonStatus(true);
        bench.board->clearLog();
        bench.gui->setServiceModeInThread(false);
        QTest::qWait(70);
        bench.gui->stopController();
        QVERIFY(bench.gui->isIdle());
        QTest::qWait(300);
        QCOMPARE(bench.board->receivedBytes(), QByteArray("P16:01\r"));
    }

    void versionAndRunPackage()
    {
        Bench bench;
        QVERIFY(bench.up());
        bench.board->setVersionText("ZB1.04.07");
        QSignalSpy data(bench.gui.get(), &GuiThread::giveDspData);
        bench.gui->gtSendP26();
        QCOMPARE(data.count(), 1); // answered before the call returns
        QCOMPARE(data.at(0).at(0).toString(), QStringLiteral("P26:ZB1.04.07\r\n"));
        QCOMPARE(bench.lines(), QList<QByteArray>{"P26:\r"});

        QSignalSpy package(bench.gui.get(), &GuiThread::txnIOTPackage);
        bench.gui->setProfileParams(7, 5, 100, 50, 10, 20, 30, 1234, 0, 3);
        QCOMPARE(package.count(), 1);
        QCOMPARE(package.at(0).at(0).toString(), QStringLiteral("1P.profile"));
        QCOMPARE(package.at(0).at(1).toString(),
                 QStringLiteral("{\"dispenseCycles\":\"5,\"dwell\":\"100,\"dutyCycle\":\"50,\"riseTime\":\"10,"
                                "\"fallTime\":\"20,\"mode\":\"0,\"programValue\":\"1,\"delay\":\"30,"
                                "\"cycleCount\":\"1234,\"tuning\":\"3}"));
    }
};

ZUM_TEST_MAIN(TestGuiThreadTransmit)
#include "tst_guithread_transmit.moc"
