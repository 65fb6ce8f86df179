// The session over time: which report a poll gets, what happens when the
// server falls silent, goes away, does not read or is replaced, and how fast
// the link stops; and the texts of the reports and answers it sends.
#include "RemoteFixture.h"
#include "RemoteMessages.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QByteArray identified = "ZUM_START_COMM_OK00:11:22:33:44:55\n";

QList<bool> statuses(const QSignalSpy &spy)
{
    QList<bool> seen;
    for (const QList<QVariant> &args : spy)
        seen.append(args.at(0).toBool());
    return seen;
}

} // namespace

class TestRemoteSession : public QObject
{
    Q_OBJECT

private slots:
    void reports_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("expected");
        const QString mac = "00:11:22:33:44:55";
        const QString dat = "\"dwell\":\"250,\"delay\":\"1";
        for (const QString &code : {QString("JV1"), QString()}) {
            const QByteArray tag = code.isEmpty() ? " without system code" : "";
            QTest::newRow("run package" + tag)
                << remote::runPackage("127.0.0.9", mac, code, "1P.profile", dat)
                << "#START#127.0.0.9#00:11:22:33:44:55#" + code + "#1P.profile#" + dat + "#STOP#\n";
            QTest::newRow("data package" + tag) << remote::dataPackage("127.0.0.9", mac, code, "T=31")
                                                << "#STARTDATA#127.0.0.9#00:11:22:33:44:55#" + code + "#T=31#STOPDATA#\n";
            QTest::newRow("error report" + tag) << remote::errorReport(mac, code, "2", "PT ERR")
                                                << "#ERR#00:11:22:33:44:55#" + code + "#2#PT ERR#ERR#\n";
            QTest::newRow("error clear" + tag) << remote::errorClear(mac, code) << "#ERR#00:11:22:33:44:55#" + code + "#9#0#ERR#\n";
        }
        // EEPROM records too short for both fields leave the missing value empty.
        QTest::newRow("repaired record with more fields") << QString(remote::eepromAnswer("0#1#301#X")) << "\nCC: 0 | CF : 1\r\n";
        QTest::newRow("one field") << QString(remote::eepromAnswer("12345")) << "\nCC: 12345 | CF : \r\n";
    }

    void reports()
    {
        QFETCH(QString, report);
        QFETCH(QString, expected);
        QCOMPARE(report, expected);
    }

    // Until a run package exists every poll answers nothing, queued reports
    // or not; then the latest package comes first, then the newest eight of
    // nine queued reports oldest first, then nothing.
    void pollOrder()
    {
        RemoteFixture link;
        QStringList produced;
        for (int i = 1; i <= 9; ++i) {
            produced.append(remote::errorReport(RemoteFixture::mac, "JV", "1", QString::number(i)));
            link.client->transmitIOTData(produced.constLast());
        }
        QCOMPARE(link.client->queuedReports(), produced.mid(1));
        QVERIFY(link.connect());
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        const QString package = remote::runPackage("h", RemoteFixture::mac, "JV", "1P.profile", "\"dwell\":\"1");
        link.client->updateLatestProfileToThread(package);
        QCOMPARE(link.ask("ZUM_IOT_REQ", package.toUtf8()), package.toUtf8());
        for (const QString &report : produced.mid(1))
            QCOMPARE(link.ask("ZUM_IOT_REQ", report.toUtf8()), report.toUtf8());
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
    }

    // A text that is not a poll gets one framed report, and only after a poll.
    void framedReplyAfterPoll()
    {
        RemoteFixture link;
        QVERIFY(link.connect());
        link.client->transmitIOTData("R1");
        link.client->transmitIOTData("R2");
        QCOMPARE(link.ask("STATUS?", "NOP\n"), QByteArray("NOP\n"));
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        QCOMPARE(link.ask("STATUS?", "#START#R1#STOP#\n"), QByteArray("#START#R1#STOP#\n"));
        QCOMPARE(link.ask("STATUS?", "NOP\n"), QByteArray("NOP\n"));
    }

    // A server that says nothing for the data wait is reported lost, and the
    // still open connection is taken up again, latest package first.
    void silentServerKeepsConnection()
    {
        CommClientThread::Timing timing = RemoteFixture::quickTiming();
        timing.dataWaitMs = 300;
        RemoteFixture link(timing);
        link.client->updateLatestProfileToThread("LATEST");
        QVERIFY(link.connect());
        QCOMPARE(link.ask("ZUM_IOT_REQ", "LATEST"), QByteArray("LATEST"));
        // false from the session, false again from its error report, then true
        QTRY_COMPARE_WITH_TIMEOUT(statuses(link.status), QList<bool>({true, false, false, true}), 5000);
        QCOMPARE(link.server->connectionCount(), 1);
        QCOMPARE(link.ask("ZUM_IOT_REQ", "LATEST"), QByteArray("LATEST"));
    }

    // A request that fills the read buffer is refused whole (its tail is
    // then just text), not collected without end; the connection lives on.
    // A connection the server closes is made again after the pause.
    void overlongRequestAndClosedConnection()
    {
        CommClientThread::Timing timing = RemoteFixture::quickTiming();
        timing.pauseMs = 300; // the whole request waits when the console reads
        RemoteFixture link(timing);
        QVERIFY(link.connect());
        const QByteArray overlong = "ZUM_CLIENT_REQ_IDENTIFICATION" + QByteArray(100 * 1024, 'x');
        QCOMPARE(link.ask(overlong, "NOP\nNOP\n"), QByteArray("NOP\nNOP\n"));
        QElapsedTimer clock;
        clock.start();
        link.server->dropClient();
        QTRY_COMPARE_WITH_TIMEOUT(link.server->connectionCount(), 2, 5000);
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(link.ask("ZUM_CLIENT_REQ_IDENTIFICATION", identified), identified);
    }

    // A server that polls without reading is dropped once the answers it
    // has not taken pass the bound, rather than piling them up in memory.
    void serverThatDoesNotReadIsDropped()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        CommClientThread::Timing timing = RemoteFixture::quickTiming();
        timing.writeWaitMs = 50;
        CommClientInterface client;
        client.setTiming(timing);
        const QString report(128 * 1024, 'r');
        client.updateLatestProfileToThread(report);
        client.requestNewConnection("127.0.0.1", listener.serverPort());
        QVERIFY(listener.waitForNewConnection(5000));
        QTcpSocket *server = listener.nextPendingConnection();
        server->setReadBufferSize(1);
        server->write("ZUM_IOT_REQ"); // answered with the latest package
        QTRY_VERIFY(server->bytesAvailable() > 0);
        int rounds = 0;
        for (; rounds < 12 && !listener.hasPendingConnections(); ++rounds) {
            client.transmitIOTData(report);
            server->write("ZUM_IOT_REQ");
            QTRY_VERIFY(client.queuedReports().isEmpty() || listener.hasPendingConnections());
        }
        QVERIFY2(listener.hasPendingConnections() || listener.waitForNewConnection(3000),
                 qPrintable(QString::number(rounds)));
    }

    // With the pauses and waits the console really uses, a new address must
    // still be taken up at once, not after the running connection ends.
    void newAddressTakesOverPromptly()
    {
        RemoteFixture link{CommClientThread::Timing()};
        QVERIFY(link.connect());
        sim::SimRemoteServer second;
        QVERIFY(second.start());
        QSignalSpy firstLost(link.server.get(), &sim::SimRemoteServer::clientDisconnected);

        QElapsedTimer clock;
        clock.start();
        link.client->requestNewConnection("127.0.0.1", second.port());
        QVERIFY2(clock.elapsed() < 100, "requestNewConnection must not block its caller");
        QTRY_VERIFY_WITH_TIMEOUT(second.hasClient(), 1500);
        QVERIFY(clock.elapsed() < 1500);
        QTRY_COMPARE(firstLost.size(), 1);
        second.send("ZUM_CLIENT_REQ_IDENTIFICATION");
        QTRY_COMPARE_WITH_TIMEOUT(second.lastAnswer(), identified, 5000);
    }

    void destructionIsPrompt_data()
    {
        QTest::addColumn<bool>("serverUp");
        QTest::newRow("during the wait for data") << true;
        QTest::newRow("between refused attempts") << false;
    }

    void destructionIsPrompt()
    {
        QFETCH(bool, serverUp);
        RemoteFixture link{CommClientThread::Timing()};
        if (serverUp) {
            QVERIFY(link.connect());
            QTest::qWait(2300); // past the pause, into the 50 s wait
        } else {
            QVERIFY(link.server->start());
            const quint16 port = link.server->port();
            link.server->stopListening();
            link.client->requestNewConnection("127.0.0.1", port);
            QTRY_VERIFY(link.status.contains({false}));
        }
        QElapsedTimer clock;
        clock.start();
        link.client.reset();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    }
};

ZUM_TEST_MAIN(TestRemoteSession)
#include "tst_remotesession.moc"
