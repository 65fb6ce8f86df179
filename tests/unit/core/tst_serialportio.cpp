// The serial link against the simulated board: bytes on the wire, chunks
// handed upward, the bounded waits, the one-shot log lines and the log's bound
// over a long run (appended in place, kept to its newer half past 256 KiB).
#include "SerialPortIO.h"
#include "SimBoard.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
const char logPath[] = "/media/data/myLog.txt";

int entries(const QString &text)
{
    return QString::fromLatin1(testroot::readFile(logPath)).count(text);
}

ino_t inodeOfLog()
{
    struct stat info {};
    return ::stat(QFile::encodeName(testroot::path(logPath)).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestSerialPortIO : public QObject
{
    Q_OBJECT

private slots:
    // The log lives for one run.
    void constructionRemovesOldLogs()
    {
        const QStringList old{"/media/data/myLog.txt", "/media/data/myLog.txt.1", "/media/data/myLog.txtx"};
        for (const QString &file : old + QStringList{"/media/data/keep.txt"})
            testroot::writeFile(file, "old");
        SerialPortIO link;
        for (const QString &file : old)
            QVERIFY(!QFile::exists(testroot::path(file)));
        QVERIFY(QFile::exists(testroot::path("/media/data/keep.txt")));
    }

    void boundedAppend_data()
    {
        QTest::addColumn<int>("entries"); // of 100 bytes each, there before
        QTest::newRow("small log") << 3;
        QTest::newRow("past 256 KiB") << 2700;
    }

    void boundedAppend()
    {
        QFETCH(int, entries);
        SerialPortIO link;
        QByteArray old;
        for (int i = 0; i < entries; ++i)
            old += "\n" + QByteArray::number(100000 + i) + ": heater " + QByteArray(83, 'x') + "\n";
        testroot::writeFile(logPath, old);
        const ino_t before = inodeOfLog();
        link.writeToLog("heater off");
        const QByteArray log = testroot::readFile(logPath);
        if (old.size() <= 256 * 1024) {
            QCOMPARE(log, old + "\nheater off\n");
            QCOMPARE(inodeOfLog(), before); // appended, not rewritten
            return;
        }
        QVERIFY2(log.size() <= 128 * 1024 && log.size() > 120 * 1024, qPrintable(QString::number(log.size())));
        QVERIFY(old.endsWith(log.chopped(12))); // the newest entries, whole
        QVERIFY(log.startsWith("\n1") && log.endsWith("\n\nheater off\n"));
    }

    void closedPortDropsDataAndLogsOnce()
    {
        sim::SimBoard board(testroot::root());
        SerialPortIO link;
        for (int i = 0; i < 3; ++i)
            QVERIFY(!link.writeData("P26:\r"));
        QCOMPARE(entries("ERROR ### Unable to send data; Port not opened "), 1);
        QVERIFY2(board.start(), qPrintable(board.errorString()));
        link.startComm();
        QCOMPARE(entries("### openSerialPort : Connection Successful"), 1);
        QVERIFY(link.writeData("P99:\r")); // a request the board leaves unanswered
        link.packData("P26:\r");            // debug output only
        link.writeData("P99:\r");
        QCOMPARE(entries("SUCCESS ### Serial Port Open"), 1);
        // The data given while closed never reached the board.
        QTRY_COMPARE(board.receivedBytes(), QByteArray("P99:\rP99:\r"));

        // Two reports in one read are one chunk; a silent wait ends after 120 ms.
        QSignalSpy spy(&link, &SerialPortIO::gotData);
        const QByteArray two = sim::countReport(5) + sim::countReport(1234567);
        board.send(two);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QString::fromLatin1(two));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!link.waitForReply());
        QVERIFY2(clock.elapsed() >= 110 && clock.elapsed() < 400, qPrintable(QString::number(clock.elapsed())));
        link.closeSerialPort();
    }

    void writeToAStuckLineIsBounded()
    {
        // A terminal whose far end never reads: its buffer fills and stays full.
        const int far = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(far >= 0 && grantpt(far) == 0 && unlockpt(far) == 0);
        QDir().mkpath(testroot::path("/dev"));
        QVERIFY(QFile::link(QString::fromLatin1(ptsname(far)), testroot::path("/dev/ttymxc6")));
        SerialPortIO link;
        link.startComm();
        QVERIFY(link.isOpen());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!link.writeData(QString(1 << 20, QLatin1Char('a'))));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(entries("ERROR ### Write to serial port failed "), 1);
        link.closeSerialPort();
        ::close(far);
    }
};

ZUM_TEST_MAIN(TestSerialPortIO)
#include "tst_serialportio.moc"
