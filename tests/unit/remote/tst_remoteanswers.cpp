// Every request kind the server may send, answered over a real loopback
// connection, and the refusal of requests that would reach outside the
// stored profiles.
#include "FileIo.h"
#include "RemoteFixture.h"
#include "SimOneWire.h"
#include "TestRoot.h"

#include <QCryptographicHash>
#include <QDirIterator>

#include <mutex>

namespace {

// Lines logged while a request is handled, from any thread.
std::mutex logMutex;
QStringList logged;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &text)
{
    std::lock_guard<std::mutex> locker(logMutex);
    logged.append(text);
}

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

} // namespace

class TestRemoteAnswers : public QObject
{
    Q_OBJECT

private slots:
    // The first file object of a process prepares its log files; do that
    // now so it does not count as a change made by a request.
    void initTestCase() { FileIo(); }

    void init()
    {
        // 0 and 51 are decoys: found only if their numbers were let through.
        for (const char *n : {"0", "3", "7", "51"})
            testroot::writeFile(QStringLiteral("/media/data/%1JV.profile").arg(n), storedProfile);
        link = std::make_unique<RemoteFixture>();
        QVERIFY(link->connect());
    }

    void cleanup() { link.reset(); }

    // Requests that name something other than profiles 1 to 50, or carry no
    // loadable profile, are refused: logged, with every file left as it was.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("refused");
        const QByteArray identified = "ZUM_START_COMM_OK00:11:22:33:44:55\n";
        const QByteArray none = "NO_STORED_PROFILE_FOUND";
        const QByteArray failed = "WRITE_FAILED\n";
        QTest::newRow("identification") << QByteArray("ZUM_CLIENT_REQ_IDENTIFICATION\n") << identified << false;
        QTest::newRow("identification with more text")
            << QByteArray("ZUM_CLIENT_REQ_IDENTIFICATIONZUM_IOT_REQ") << identified << false;
        QTest::newRow("stored profile") << QByteArray("@7") << storedProfile << false;
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
        // Logged without the server's control characters.
        QTest::newRow("control characters") << QByteArray("@\x1b[2J\x07\x7f\xc2\x85x") << none << true;
    }

    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(bool, refused);
        const auto before = snapshot();
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        QCOMPARE(link->ask(request, answer), answer);
        qInstallMessageHandler(previous);
        QCOMPARE(snapshot(), before);
        QTest::qWait(50);
        QVERIFY(link->loads.isEmpty());
        std::lock_guard<std::mutex> locker(logMutex);
        QCOMPARE(logged.join('\n').contains("refused"), refused);
        for (const QString &line : qAsConst(logged))
            QVERIFY2(std::none_of(line.begin(), line.end(), [](QChar c) { return c.category() == QChar::Other_Control; }),
                     qPrintable(line.toUtf8().toPercentEncoding()));
    }

    // Read as UTF-8 and stored as one line (the file service writes Latin-1).
    void uploadOverSeveralLines()
    {
        const QByteArray upload = "#3#{\"programValue\":3,\r\n\"dwell\":\"300\",\n\t\"name\":\"\xc3\xa4\"}\r\n";
        QCOMPARE(link->ask(upload, "ZUM_TXN_OK\n"), QByteArray("ZUM_TXN_OK\n"));
        QCOMPARE(testroot::readFile("/media/data/3JV.profile"),
                 QByteArray("{\"programValue\":3,\"dwell\":\"300\",\"name\":\"\xe4\"}"));
        QTRY_COMPARE(link->loads.size(), 1);
        QCOMPARE(link->loads.at(0).at(0).toInt(), 3);
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
        const sim::SimOneWire wire(testroot::root());
        wire.ensureBus();
        for (const QString &slave : wire.slaves())
            wire.removeSlave(slave);
        if (chipFitted) {
            wire.addSlave();
            wire.putRecord(12345, 1);
        }
        QCOMPARE(link->ask("GET#EPROM", answer), answer);
        // Asked again at once, the link answers from its copy.
        wire.addSlave();
        wire.putRecord(777, 0);
        QCOMPARE(link->ask("GET#EPROM", answer), answer);
    }

private:
    std::unique_ptr<RemoteFixture> link;
};

ZUM_TEST_MAIN(TestRemoteAnswers)
#include "tst_remoteanswers.moc"
