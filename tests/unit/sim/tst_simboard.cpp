// The simulated driver board, driven through its terminal like the console
// drives it: bytes in, replies out, with the board's limits.
#include "SimBoard.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using sim::SimBoard;

namespace {

// The console's end of the link, opened through the link as the console does.
struct Console {
    explicit Console(const QString &link)
        : fd(::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Console() { ::close(fd); }

    void write(const QByteArray &bytes) const
    {
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

    // What arrives until the text holds `needle` or two seconds pass.
    QByteArray readUntil(const QByteArray &needle) const
    {
        QByteArray all;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 2000 && !all.contains(needle)) {
            pollfd pfd{fd, POLLIN, 0};
            char buffer[512];
            const ssize_t n = ::poll(&pfd, 1, 100) > 0 ? ::read(fd, buffer, sizeof buffer) : 0;
            all += QByteArray(buffer, int(qMax<ssize_t>(n, 0)));
        }
        return all;
    }

    const int fd;
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

    void answers_data()
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

    // Parameters are echoed with the board's limits applied, and kept.
    void answers()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, paced);
        QFETCH(QByteArray, echo);
        Console console(board->linkPath());
        QVERIFY(console.fd >= 0);
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

    void survivesConsoleReopen()
    {
        {
            // Opened the way QSerialPort opens it, then left without clearing
            // the exclusive mark, as a crashed console leaves it.
            Console first(board->linkPath());
            QCOMPARE(::ioctl(first.fd, TIOCEXCL), 0);
            first.write("P04:10\r");
            QCOMPARE(first.readUntil("\n"), QByteArray("P04:10\r\n"));
        }
        QTest::qWait(50); // the board must not lose its terminal while nobody has it open
        Console second(board->linkPath());
        // User-mode emulators lack TIOCGEXCL (ENOSYS); there only the
        // exchange below shows that the board kept its terminal.
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            int exclusive = 1;
            if (::ioctl(second.fd, TIOCGEXCL, &exclusive) != 0)
                return errno == ENOSYS;
            return exclusive == 0;
        }(), 2000);
        second.write("P04:20\r");
        QCOMPARE(second.readUntil("\n"), QByteArray("P04:20\r\n"));
        const QString link = board->linkPath();
        board->stop();
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    }
};

ZUM_TEST_MAIN(TestSimBoard)
#include "tst_simboard.moc"
