#include "FileIo.h"
#include "TestRoot.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

class TestWriteQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MemoryOp::setPauses(30, 5); }
    void init();
    void sevenWritesKeepNewestSixInOrder();
    void writesOfOneFileEndWithTheLast();
    void refusesEntriesHoldingTheSeparator();
    void emptyQueuedContentKeepsFile();
    void destroyingIdleWriterIsImmediate();
    void backupIsByteIdentical();
    void recoverRestoresLeftoverAndClearsTemporaries();
    void recoverWithoutLeftoverKeepsMissingFile();
};

void TestWriteQueue::init()
{
    MemoryOp::clearQueue();
    QDir(testroot::path("/media/data")).removeRecursively();
    QDir().mkpath(testroot::path("/media/data"));
}

void TestWriteQueue::sevenWritesKeepNewestSixInOrder()
{
    FileIo io;
    for (int i = 0; i < 7; ++i)
        io.queueToWrite(QString("/media/data/q%1.txt").arg(i), QString("entry %1").arg(i));
    const QStringList pending = MemoryOp::pendingEntries();
    QCOMPARE(pending.size(), 6);
    QCOMPARE(pending.first(), QString("/media/data/q1.txt#_ZUM_#entry 1"));
    io.startMemThread();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(testroot::path("/media/data/q6.txt")), 5000);
    QVERIFY(!QFile::exists(testroot::path("/media/data/q0.txt")));
    QDateTime previous;
    for (int i = 1; i < 7; ++i) {
        const QString name = testroot::path(QString("/media/data/q%1.txt").arg(i));
        QCOMPARE(testroot::readFile(QString("/media/data/q%1.txt").arg(i)), QString("entry %1").arg(i).toLatin1());
        const QDateTime written = QFileInfo(name).fileTime(QFileDevice::FileModificationTime);
        QVERIFY2(previous.isNull() || written >= previous, qPrintable(name));
        previous = written;
    }
}

void TestWriteQueue::writesOfOneFileEndWithTheLast()
{
    FileIo io;
    const QString name = "/media/data/same.txt";
    io.queueToWrite(name, "first");
    io.queueToWrite(name, "second");
    io.startMemThread();
    QTRY_VERIFY_WITH_TIMEOUT(MemoryOp::pendingEntries().isEmpty(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(testroot::readFile("/media/data/same.txt"), QByteArray("second"), 5000);
}

void TestWriteQueue::refusesEntriesHoldingTheSeparator()
{
    MemoryOp op;
    QVERIFY(!op.appendToQueue("/media/data/a#_ZUM_#b", "text"));
    QVERIFY(!op.appendToQueue("/media/data/a", "x#_ZUM_#y"));
    QVERIFY(MemoryOp::pendingEntries().isEmpty());
    QVERIFY(op.appendToQueue("/media/data/a", "#_ZUM #"));
}

void TestWriteQueue::emptyQueuedContentKeepsFile()
{
    testroot::writeFile("/media/data/keep.txt", "kept");
    FileIo io;
    io.queueToWrite("/media/data/keep.txt", "");
    io.startMemThread();
    QTRY_VERIFY_WITH_TIMEOUT(MemoryOp::pendingEntries().isEmpty(), 5000);
    QTest::qWait(50);
    QCOMPARE(testroot::readFile("/media/data/keep.txt"), QByteArray("kept"));
}

void TestWriteQueue::destroyingIdleWriterIsImmediate()
{
    QElapsedTimer clock;
    clock.start();
    {
        FileIo io;
    }
    QVERIFY(clock.elapsed() < 500);
}

void TestWriteQueue::backupIsByteIdentical()
{
    FileIo io;
    const QString profile = QString::fromUtf8("{\"dwell\":300,\"name\":\"Caf\xc3\xa9\"}");
    QVERIFY(io.write("/media/data/2JV.profile", profile));
    io.writeBKProfile("/media/data/2JV.profile");
    QCOMPARE(testroot::readFile("/media/data/2JV.profile_BKUP"), testroot::readFile("/media/data/2JV.profile"));
    QVERIFY(!io.read("/media/data/2JV.profile_BKUP").isEmpty());
}

void TestWriteQueue::recoverRestoresLeftoverAndClearsTemporaries()
{
    FileIo io;
    testroot::writeFile("/media/data/3JV.profile.Xa81Qz", "recovered");
    testroot::writeFile("/media/data/7JV.profile.Pq09Lm", "other leftover");
    testroot::writeFile("/media/data/1JV.profile", "untouched");
    testroot::writeFile("/media/data/1JV.profile_BKUP", "untouched");
    testroot::writeFile("/media/data/ot.log", "untouched");
    io.recoverFile("/media/data/3JV.profile");
    QCOMPARE(testroot::readFile("/media/data/3JV.profile"), QByteArray("recovered"));
    QStringList left = QDir(testroot::path("/media/data")).entryList(QDir::Files);
    left.sort();
    QCOMPARE(left, (QStringList{"1JV.profile", "1JV.profile_BKUP", "3JV.profile", "ot.log"}));
}

void TestWriteQueue::recoverWithoutLeftoverKeepsMissingFile()
{
    FileIo io;
    testroot::writeFile("/media/data/a.b.c", "temporary");
    io.recoverFile("/media/data/9JV.profile");
    QVERIFY(!QFile::exists(testroot::path("/media/data/9JV.profile")));
    QVERIFY(!QFile::exists(testroot::path("/media/data/a.b.c")));
}

ZUM_TEST_MAIN(TestWriteQueue)
#include "tst_writequeue.moc"
