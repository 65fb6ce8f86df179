// The simulated driver board, driven through its terminal like the console
// drives it: bytes in, replies out, with the board's limits, runs and faults.
#include "SimBoard.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using sim::BoardFault;
using sim::SimBoard;

namespace {

// The console's end of the link, opened through the link as the console does.
class Console
{
public:
    explicit Console(const QString &link)
        : fd(::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Console()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }
    int handle() const { return fd; }

    void write(const QByteArray &bytes) const
    {
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

    // Reads until the text holds `until` (if given) or `msecs` pass; one entry per read.
    QList<QByteArray> readChunks(int msecs, const QByteArray &until = QByteArray()) const
    {
        QList<QByteArray> chunks;
        QByteArray all;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < msecs && (until.isEmpty() || !all.contains(until))) {
            pollfd pfd {fd, POLLIN, 0};
            if (::poll(&pfd, 1, int(std::max<qint64>(1, msecs - timer.elapsed()))) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                chunks.append(QByteArray(buffer, int(n)));
                all += chunks.last();
            }
        }
        return chunks;
    }
    QByteArray readUntil(const QByteArray &needle, int msecs = 2000) const { return readChunks(msecs, needle).join(); }
    QByteArray readFor(int msecs) const { return readChunks(msecs).join(); }

private:
    int fd;
};

} // namespace

class TestSimBoard : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimBoard> board;

private slots:
    void init()
    {
        board = std::make_unique<SimBoard>(testroot::root());
        QVERIFY2(board->start(), qPrintable(board->errorString()));
    }
    void cleanup() { board.reset(); }

    void echoesAppliedValues_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("paced"); // one character at a time, as the console's paced queue sends
        QTest::addColumn<QByteArray>("echo");
        QTest::newRow("P05 zero") << QByteArray("P05:0\r") << false << QByteArray("P05:1\r\n");
        QTest::newRow("P04 zero kept") << QByteArray("P04:0\r") << false << QByteArray("P04:0\r\n");
        QTest::newRow("P03 above") << QByteArray("P03:250000\r") << false << QByteArray("P03:100000\r\n");
        QTest::newRow("P02 not capped") << QByteArray("P02:150000\r") << false << QByteArray("P02:150000\r\n");
        QTest::newRow("P04 100") << QByteArray("P04:100\r") << false << QByteArray("P04:99\r\n");
        QTest::newRow("paced, leading zero") << QByteArray("P16:00\r") << true << QByteArray("P16:0\r\n");
        // Lines the board does not know get no answer.
        QTest::newRow("after unknown lines") << QByteArray("hello\rP99:\rP28:1\r") << false << QByteArray("P28:1\r\n");
    }

    void echoesAppliedValues()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, paced);
        QFETCH(QByteArray, echo);
        Console console(board->linkPath());
        QVERIFY(console.isOpen());
        if (paced) {
            for (const char c : command) {
                console.write(QByteArray(1, c));
                QTest::qWait(5);
            }
        } else {
            console.write(command);
        }
        QCOMPARE(console.readUntil("\n"), echo);
        QCOMPARE(board->parameter(echo.mid(1, 2).toInt()), echo.mid(4, echo.size() - 6).toLongLong());
    }

    void answersRequests()
    {
        Console console(board->linkPath());
        // A line reset gets an empty line, so the console's wait after it ends at once.
        console.write("\r");
        QCOMPARE(console.readUntil("\n"), QByteArray("\r\n"));
        board->setVersionText("AB1.02.03");
        console.write("P26:\r");
        QCOMPARE(console.readUntil("\n"), QByteArray("P26:AB1.02.03\r\n"));
        board->setCycleCount(82);
        console.write("P21:\r");
        QCOMPARE(console.readUntil("\n"), QByteArray("P17:        82\r\n"));
        QCOMPARE(sim::countReport(99999999999), QByteArray("P17:9999999999\r\n"));
    }

    void continuousRunReportsUntilStopped_data()
    {
        QTest::addColumn<QByteArray>("stop");
        QTest::newRow("stop command") << QByteArray("x");
        QTest::newRow("new cycle count") << QByteArray("P05:10\r");
    }

    void continuousRunReportsUntilStopped()
    {
        QFETCH(QByteArray, stop);
        Console console(board->linkPath());
        board->setReportInterval(60);
        console.write("P01:1000\rP12:1\rP05:1000000\r");
        console.readUntil("P05:100000\r\n");
        console.write("P06:\r");
        const QByteArray during = console.readFor(280);
        const QList<QByteArray> reports = during.split('\n');
        QVERIFY2(during.count("P17:") >= 3, during.constData());
        qint64 sum = 0;
        for (const QByteArray &r : reports)
            sum += r.mid(4, 10).trimmed().toLongLong();
        console.write(stop);
        const QByteArray last = console.readUntil("\n");
        QVERIFY2(last.startsWith("P17:"), last.constData());
        sum += last.mid(4, 10).trimmed().toLongLong();
        QTRY_VERIFY(!board->isDispensing());
        // Roughly 1003 us per cycle over about 300 ms, and no cycle lost or
        // counted twice between the reports and the total.
        QVERIFY2(sum > 200 && sum < 600, QByteArray::number(sum).constData());
        QCOMPARE(board->cycleCount(), sum);
        const QByteArray after = console.readFor(200);
        QVERIFY2(!after.contains("P17"), after.constData());
    }

    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::newRow("silent echo") << int(BoardFault::Silent) << -1 << QByteArray("P04:50\r") << QList<QByteArray>();
        QTest::newRow("wrong limited") << int(BoardFault::WrongEcho) << -1 << QByteArray("P04:150\r")
                                       << QList<QByteArray> {"P04:98\r\n"};
        QTest::newRow("wrong spares version") << int(BoardFault::WrongEcho) << -1 << QByteArray("P26:\r")
                                              << QList<QByteArray> {"P26:ZB1.04.07\r\n"};
        QTest::newRow("split") << int(BoardFault::SplitEcho) << -1 << QByteArray("P28:1\r")
                               << QList<QByteArray> {"P2", "8:1\r\n"};
        QTest::newRow("wrong once") << int(BoardFault::WrongEcho) << 1 << QByteArray("P28:0\r")
                                    << QList<QByteArray> {"P28:1\r\n"};
    }

    void faults()
    {
        QFETCH(int, fault);
        QFETCH(int, count);
        QFETCH(QByteArray, command);
        QFETCH(QList<QByteArray>, chunks);
        Console console(board->linkPath());
        board->setFaultMode(BoardFault(fault), count);
        console.write(command);
        QCOMPARE(console.readChunks(300), chunks);
        QCOMPARE(board->received().last().bytes, command); // recorded even when silent
        QCOMPARE(board->faultMode(), count < 0 ? BoardFault(fault) : BoardFault::None);
    }

    void survivesConsoleReopen()
    {
        {
            // Opened the way QSerialPort opens it, then left without clearing
            // the exclusive mark, as a crashed console leaves it.
            Console first(board->linkPath());
            QCOMPARE(::ioctl(first.handle(), TIOCEXCL), 0);
            first.write("P04:10\r");
            QCOMPARE(first.readUntil("\n"), QByteArray("P04:10\r\n"));
        }
        QTest::qWait(50); // the board must not lose its terminal while nobody has it open
        Console second(board->linkPath());
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            int exclusive = 1;
            return ::ioctl(second.handle(), TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
        }(), 2000);
        second.write("P04:20\r");
        QCOMPARE(second.readUntil("\n"), QByteArray("P04:20\r\n"));

        const QString link = board->linkPath();
        QVERIFY(QFileInfo(link).isSymLink());
        board->stop();
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
        QVERIFY(board->start());
        Console third(board->linkPath());
        third.write("P04:30\r");
        QCOMPARE(third.readUntil("\n"), QByteArray("P04:30\r\n"));
    }

};

ZUM_TEST_MAIN(TestSimBoard)
#include "tst_simboard.moc"
