// The remote monitoring link over a real loopback connection: every request
// kind the server may send and the refusal of requests that would reach
// outside the stored profiles; the session over time (which report a poll
// gets, what happens when the server falls silent, goes away, does not read
// or is replaced, how fast the link stops); the texts of reports and answers.
#include "CommClientInterface.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "QuickLink.h"
#include "RemoteMessages.h"
#include "SimOneWire.h"
#include "SimRemoteServer.h"
#include "TestRoot.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// A console link talking to the simulated server on 127.0.0.1, with the
// session's pauses shortened so a test needs no long waits.
struct RemoteFixture {
    static constexpr const char *mac = "00:11:22:33:44:55";

    static CommClientThread::Timing quickTiming() { return quickLinkTiming(); }

    explicit RemoteFixture(const CommClientThread::Timing &timing = quickTiming())
        : server(std::make_unique<sim::SimRemoteServer>())
        , client(std::make_unique<CommClientInterface>())
        , status(client.get(), &CommClientInterface::connectionStatus)
        , loads(client.get(), &CommClientInterface::loadProfile)
    {
        client->setTiming(timing);
        client->updateMcAdd(mac);
    }

    // Starts the server and points the console at it; true once connected.
    bool connect()
    {
        if (!server->start())
            return false;
        client->requestNewConnection("127.0.0.1", server->port());
        return QTest::qWaitFor([this] { return server->hasClient() && status.contains({true}); }, 5000);
    }

    // Sends one request and waits for its answer to be complete.
    QByteArray ask(const QByteArray &request, const QByteArray &expected)
    {
        server->send(request);
        [[maybe_unused]] const bool complete =
            QTest::qWaitFor([&] { return server->lastAnswer().size() >= expected.size(); }, 5000);
        return server->lastAnswer();
    }

    std::unique_ptr<sim::SimRemoteServer> server;
    std::unique_ptr<CommClientInterface> client;
    QSignalSpy status;
    QSignalSpy loads;
};

const QByteArray storedProfile = "{\"programValue\":7,\"dwell\":\"250\",\"mode\":0,\"nozTempState\":false}";

// Every file under the simulated root with a hash of its content.
QMap<QString, QByteArray> snapshot()
{
    QMap<QString, QByteArray> files;
    QDirIterator it(testroot::root(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(it.filePath(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1));
    }
    return files;
}

const QByteArray identified = "ZUM_START_COMM_OK00:11:22:33:44:55\n";

// Seconds until the keepalive probe of the console's connection to a local
// server port (sl local remote state queues timer:expiry ... in the kernel's
// table); -1 when that connection has no keepalive timer.
double keepAliveSeconds(quint16 serverPort)
{
    QFile table("/proc/net/tcp");
    table.open(QIODevice::ReadOnly);
    const QByteArray remote = QByteArray::number(serverPort, 16).toUpper().rightJustified(4, '0').prepend(':');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 5 && f.at(2).endsWith(remote) && f.at(3) == "01" && f.at(5).startsWith("02:"))
            return f.at(5).mid(3).toULongLong(nullptr, 16) / double(sysconf(_SC_CLK_TCK));
    }
    return -1;
}

QList<bool> statuses(const QSignalSpy &spy)
{
    QList<bool> seen;
    for (const QList<QVariant> &args : spy)
        seen.append(args.at(0).toBool());
    return seen;
}

} // namespace

class TestRemote : public QObject
{
    Q_OBJECT

    std::unique_ptr<RemoteFixture> answering;

    // Profiles 3, 7 and 50 stored, and a link connected. 0 and 51 are
    // decoys: found only if their numbers were let through.
    bool connectWithProfiles()
    {
        for (const char *n : {"0", "3", "7", "50", "51"})
            testroot::writeFile(QStringLiteral("/media/data/%1JV.profile").arg(n), storedProfile);
        answering = std::make_unique<RemoteFixture>();
        return answering->connect();
    }

private slots:
    // The first file object of a process prepares its log files; do that
    // now so it does not count as a change made by a request.
    void initTestCase() { FileIo(); }
    void cleanup() { answering.reset(); }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("refused");
        const QByteArray none = "NO_STORED_PROFILE_FOUND";
        const QByteArray failed = "WRITE_FAILED\n";
        QTest::newRow("identification") << QByteArray("ZUM_CLIENT_REQ_IDENTIFICATION\n") << identified << false;
        QTest::newRow("identification with more text")
            << QByteArray("ZUM_CLIENT_REQ_IDENTIFICATIONZUM_IOT_REQ") << identified << false;
        QTest::newRow("stored profile") << QByteArray("@7") << storedProfile << false;
        QTest::newRow("last profile") << QByteArray("@50") << storedProfile << false;
        QTest::newRow("leading zero") << QByteArray("@07") << storedProfile << false;
        QTest::newRow("stored profile, field ends at @") << QByteArray("@7@x") << storedProfile << false;
        QTest::newRow("read stops at NUL") << QByteArray("@7\0@8", 5) << storedProfile << false;
        QTest::newRow("missing profile") << QByteArray("@9") << none << false;
        QTest::newRow("other query") << QByteArray("GET#OTHER") << QByteArray("INVALID COMM") << false;
        QTest::newRow("query without field") << QByteArray("GET") << QByteArray("INVALID COMM") << false;
        QTest::newRow("junk") << QByteArray("hello\r\n") << QByteArray("NOP\n") << false;
        QTest::newRow("read traversal") << QByteArray("@../../etc/shadow") << none << true;
        QTest::newRow("read traversal to a profile") << QByteArray("@../data/7") << none << true;
        for (const char *n : {"51", "-1", "+7", "99999999999999999999", "\xd9\xa7" /* arabic-indic 7 */})
            QTest::newRow(qPrintable(QString("read ") + n)) << QByteArray("@") + n << none << true;
        QTest::newRow("write traversal") << QByteArray("#../../etc/passwd#{}") << failed << true;
        QTest::newRow("write 0") << QByteArray("#0#{\"programValue\":1}") << failed << true;
        QTest::newRow("write without text") << QByteArray("#3") << failed << true;
        QTest::newRow("write plain text") << QByteArray("#3#garbage") << failed << true;
        QTest::newRow("write JSON array") << QByteArray("#3#[3]") << failed << true;
        QTest::newRow("write beyond profile size") << "#3#{\"a\":\"" + QByteArray(5000, 'x') + "\"}" << failed << true;
        // A profile the screen would not take as it stands is not stored either.
        for (const char *profile : {"{}", "{\"programValue\":0,\"dwell\":\"12000\"}", "{\"programValue\":4}",
                                    "{\"programValue\":3,\"dwell\":\"abc\"}", "{\"programValue\":3,\"nozTempState\":1}"})
            QTest::newRow(profile) << "#3#" + QByteArray(profile) << failed << true;
        // Logged without the server's control characters.
        QTest::newRow("control characters") << QByteArray("@\x1b[2J\x07\x7f\xc2\x85x") << none << true;
    }

    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(bool, refused);
        QVERIFY(connectWithProfiles());
        const auto before = snapshot();
        std::optional<LogCapture> log(std::in_place);
        QCOMPARE(answering->ask(request, answer), answer);
        const QString logged = log->joined();
        log.reset();
        QCOMPARE(snapshot(), before);
        QTest::qWait(50);
        QVERIFY(answering->loads.isEmpty());
        QCOMPARE(logged.count("refused"), refused ? 1 : 0);
        QVERIFY2(std::none_of(logged.begin(), logged.end(), [](QChar c) { return c != '\n' && c.category() == QChar::Other_Control; }),
                 qPrintable(logged.toUtf8().toPercentEncoding()));
    }

    // A number outside its limits is stored as the screen takes it, the
    // nearest limit (any mode but 0 is line mode), never as pushed.
    void uploadBroughtWithinLimits_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("dwell") << QByteArray("\"dwell\":\"12000\"") << QByteArray("\"dwell\":\"9999\"");
        QTest::newRow("rise time") << QByteArray("\"riseTime\":5") << QByteArray("\"riseTime\":80");
        QTest::newRow("older pulse count") << QByteArray("\"totalCycles\":\"0\"") << QByteArray("\"totalCycles\":\"1\"");
        QTest::newRow("mode") << QByteArray("\"mode\":2") << QByteArray("\"mode\":1");
    }

    void uploadBroughtWithinLimits()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, stored);
        QVERIFY(connectWithProfiles());
        QCOMPARE(answering->ask("#3#{\"programValue\":3," + profile + "}", "ZUM_TXN_OK\n"), QByteArray("ZUM_TXN_OK\n"));
        const QByteArray file = testroot::readFile("/media/data/3JV.profile");
        QVERIFY2(file.contains(stored) && file.contains("\"programValue\":3"), file.constData());
        QTRY_COMPARE(answering->loads.size(), 1);
    }

    // Read as UTF-8 and stored as one line (the file service writes Latin-1);
    // the untuned 0 the console itself writes goes back too.
    void uploadOverSeveralLines()
    {
        QVERIFY(connectWithProfiles());
        const QByteArray upload = "#3#{\"programValue\":3,\r\n\"tuning\":\"0\",\n\t\"name\":\"\xc3\xa4\"}\r\n";
        QCOMPARE(answering->ask(upload, "ZUM_TXN_OK\n"), QByteArray("ZUM_TXN_OK\n"));
        QCOMPARE(testroot::readFile("/media/data/3JV.profile"), QByteArray("{\"programValue\":3,\"tuning\":\"0\",\"name\":\"\xe4\"}"));
        QTRY_COMPARE(answering->loads.size(), 1);
        QCOMPARE(answering->loads.at(0).at(0).toInt(), 3);
    }

    void eepromQuery_data()
    {
        QTest::addColumn<bool>("chipFitted");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("chip holding 12345/1") << true << QByteArray("\nCC: 12345 | CF : 1\r\n");
        // Without a readable chip the values are left empty, never made up.
        QTest::newRow("no chip") << false << QByteArray("\nCC:  | CF : \r\n");
    }

    void eepromQuery()
    {
        QFETCH(bool, chipFitted);
        QFETCH(QByteArray, answer);
        QVERIFY(connectWithProfiles());
        const sim::SimOneWire wire(testroot::root());
        wire.ensureBus();
        for (const QString &slave : wire.slaves())
            wire.removeSlave(slave);
        if (chipFitted) {
            wire.addSlave();
            wire.putRecord(12345, 1);
        }
        QCOMPARE(answering->ask("GET#EPROM", answer), answer);
        // Asked again at once, the link answers from its copy.
        wire.addSlave();
        wire.putRecord(777, 0);
        QCOMPARE(answering->ask("GET#EPROM", answer), answer);
    }

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
    // nine queued reports oldest first, then nothing. A text that is not a
    // poll gets one framed report, and only after a poll.
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
        QCOMPARE(link.ask("STATUS?", "NOP\n"), QByteArray("NOP\n"));
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        const QString package = remote::runPackage("h", RemoteFixture::mac, "JV", "1P.profile", "\"dwell\":\"1");
        link.client->updateLatestProfileToThread(package);
        QCOMPARE(link.ask("ZUM_IOT_REQ", package.toUtf8()), package.toUtf8());
        for (const QString &report : produced.mid(1))
            QCOMPARE(link.ask("ZUM_IOT_REQ", report.toUtf8()), report.toUtf8());
        QCOMPARE(link.ask("ZUM_IOT_REQ", "NOP\n"), QByteArray("NOP\n"));
        link.client->transmitIOTData("R1");
        link.client->transmitIOTData("R2");
        QCOMPARE(link.ask("STATUS?", "#START#R1#STOP#\n"), QByteArray("#START#R1#STOP#\n"));
        QCOMPARE(link.ask("STATUS?", "NOP\n"), QByteArray("NOP\n"));
    }

    // A server that says nothing for the data wait is reported lost, and the
    // still open connection is taken up again, latest package first; only
    // after three silent waits in a row is it given up and made anew. The
    // connection carries a keepalive timer, so a peer that vanished without
    // a close is noticed within seconds rather than never.
    void silentServer()
    {
        CommClientThread::Timing timing = RemoteFixture::quickTiming();
        timing.dataWaitMs = 500;
        RemoteFixture link(timing);
        link.client->updateLatestProfileToThread("LATEST");
        QVERIFY(link.connect());
        QTRY_VERIFY(keepAliveSeconds(link.server->port()) > 0);
        QVERIFY(keepAliveSeconds(link.server->port()) <= CommClientThread::keepAliveIdleS);
        QCOMPARE(link.ask("ZUM_IOT_REQ", "LATEST"), QByteArray("LATEST"));
        // false from the session, false again from its error report, then true
        QTRY_COMPARE_WITH_TIMEOUT(statuses(link.status), QList<bool>({true, false, false, true}), 5000);
        QCOMPARE(link.server->connectionCount(), 1);
        QCOMPARE(link.ask("ZUM_IOT_REQ", "LATEST"), QByteArray("LATEST"));
        QTRY_COMPARE_WITH_TIMEOUT(link.server->connectionCount(), 2, 10000);
        QVERIFY(statuses(link.status).count(false) >= 2 + 2 * CommClientThread::maxSilentWaits);
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

    // With the pauses and waits the console really uses, a new address is
    // taken up at once, not when the running connection ends. Every part of
    // it is read as decimal; one the link cannot use takes it off the
    // previous server, offline until a usable one comes.
    void newAddress_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("reached");
        QTest::newRow("leading zeros") << "127.0.0.010" << "127.0.0.10";
        QTest::newRow("08") << "127.000.0.08" << "127.0.0.8";
        QTest::newRow("octet 300") << "300.0.0.1" << QString();
        QTest::newRow("unspecified, reaching this host") << "0.0.0.0" << QString();
        QTest::newRow("host name") << "localhost" << QString();
    }

    void newAddress()
    {
        QFETCH(QString, given);
        QFETCH(QString, reached);
        RemoteFixture link{CommClientThread::Timing()};
        QVERIFY(link.connect());
        QSignalSpy lost(link.server.get(), &sim::SimRemoteServer::clientDisconnected);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress(reached.isEmpty() ? "127.0.0.1" : reached)));
        QElapsedTimer clock;
        clock.start();
        link.client->requestNewConnection(given, listener.serverPort());
        QVERIFY2(clock.elapsed() < 100, "requestNewConnection must not block its caller");
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 1500);
        if (reached.isEmpty()) {
            QTRY_COMPARE(statuses(link.status).constLast(), false);
            QTest::qWait(300);
            QVERIFY(!listener.hasPendingConnections());
            clock.start();
            link.client->requestNewConnection("127.0.0.1", listener.serverPort());
        }
        QTRY_VERIFY_WITH_TIMEOUT(listener.hasPendingConnections(), 1500);
        QVERIFY(clock.elapsed() < 1500);
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

ZUM_TEST_MAIN(TestRemote)
#include "tst_remote.moc"
