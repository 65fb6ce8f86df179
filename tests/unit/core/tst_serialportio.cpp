// The serial link against the simulated board: bytes on the wire, chunks
// handed upward, the bounded wait and the one-shot log lines.
#include "SerialPortIO.h"
#include "SimBoard.h"
#include "TestRoot.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {
const char logPath[] = "/media/data/myLog.txt";

int entries(const QString &text)
{
    return QString::fromLatin1(testroot::readFile(logPath)).count(text);
}
} // namespace

class TestSerialPortIO : public QObject
{
    Q_OBJECT

private slots:
    void constructionRemovesOldLogs();
    void logEntriesAreSeparatedByBlankLines();
    void closedPortDropsDataAndLogsOnce();
    void oneChunkPerRead();
    void waitForReplyIsBounded();
};

void TestSerialPortIO::constructionRemovesOldLogs()
{
    testroot::writeFile(logPath, "old");
    testroot::writeFile("/media/data/myLog.txt.1", "older");
    testroot::writeFile("/media/data/myLog.txtx", "x");
    testroot::writeFile("/media/data/keep.txt", "keep");
    SerialPortIO link;
    QVERIFY(!QFile::exists(testroot::path(logPath)));
    QVERIFY(!QFile::exists(testroot::path("/media/data/myLog.txt.1")));
    QVERIFY(!QFile::exists(testroot::path("/media/data/myLog.txtx")));
    QCOMPARE(testroot::readFile("/media/data/keep.txt"), QByteArray("keep"));
}

void TestSerialPortIO::logEntriesAreSeparatedByBlankLines()
{
    SerialPortIO link;
    link.writeToLog("abc");
    QCOMPARE(testroot::readFile(logPath), QByteArray("\nabc\n"));
    link.writeToLog("def");
    QCOMPARE(testroot::readFile(logPath), QByteArray("\nabc\n\ndef\n"));
}

void TestSerialPortIO::closedPortDropsDataAndLogsOnce()
{
    sim::SimBoard board(testroot::root());
    SerialPortIO link;
    for (int i = 0; i < 3; ++i)
        link.writeData("P26:\r");
    QCOMPARE(entries("ERROR ### Unable to send data; Port not opened "), 1);

    QVERIFY2(board.start(), qPrintable(board.errorString()));
    link.startComm();
    QVERIFY(link.isOpen());
    QCOMPARE(entries("### openSerialPort : Connection Successful"), 1);
    link.writeData("P21:\r");
    link.packData("P26:\r"); // debug output only
    link.writeData("P21:\r");
    QCOMPARE(entries("SUCCESS ### Serial Port Open"), 1);
    // The data given while closed never reached the board.
    QTRY_COMPARE(board.receivedBytes(), QByteArray("P21:\rP21:\r"));
    link.closeSerialPort();
}

void TestSerialPortIO::oneChunkPerRead()
{
    sim::SimBoard board(testroot::root());
    QVERIFY2(board.start(), qPrintable(board.errorString()));
    SerialPortIO link;
    link.startComm();
    QSignalSpy spy(&link, &SerialPortIO::gotData);
    const QByteArray two = sim::countReport(5) + sim::countReport(1234567);
    board.send(two);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString::fromLatin1(two));
    link.closeSerialPort();
}

void TestSerialPortIO::waitForReplyIsBounded()
{
    sim::SimBoard board(testroot::root());
    QVERIFY2(board.start(), qPrintable(board.errorString()));
    SerialPortIO link;
    link.startComm();
    QSignalSpy spy(&link, &SerialPortIO::gotData);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(!link.waitForReply());
    const qint64 silent = clock.elapsed();
    QVERIFY2(silent >= 110 && silent < 400, qPrintable(QString::number(silent)));

    // An answer ends the wait early and has been handed upward by then.
    link.writeData("P26:\r");
    clock.restart();
    QVERIFY(link.waitForReply());
    QVERIFY(clock.elapsed() < 110);
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).at(0).toString().startsWith("P26:"));
    link.closeSerialPort();
}

ZUM_TEST_MAIN(TestSerialPortIO)
#include "tst_serialportio.moc"
