#include "FileIo.h"
#include "TestRoot.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QThread>

#include <atomic>
#include <memory>

#include <unistd.h>

class TestWriteQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MemoryOp::setPauses(30, 5); }

    void init()
    {
        MemoryOp::clearQueue();
        QDir(testroot::path("/media/data")).removeRecursively();
        QDir().mkpath(testroot::path("/media/data"));
    }

    // The newest six of seven, in order (two of one file end with the
    // second); an empty one keeps its file.
    void queueKeepsNewestSixInOrder()
    {
        testroot::writeFile("/media/data/q3.txt", "kept");
        FileIo io;
        for (int i = 0; i < 7; ++i)
            io.queueToWrite(QString("/media/data/q%1.txt").arg(i == 6 ? 1 : i), i == 3 ? "" : QString("entry %1").arg(i));
        QCOMPARE(MemoryOp::pendingEntries().size(), 6);
        QCOMPARE(MemoryOp::pendingEntries().first(), QString("/media/data/q1.txt#_ZUM_#entry 1"));
        io.startMemThread();
        QTRY_VERIFY_WITH_TIMEOUT(MemoryOp::pendingEntries().isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(testroot::readFile("/media/data/q1.txt"), QByteArray("entry 6"), 5000);
        QVERIFY(!QFile::exists(testroot::path("/media/data/q0.txt")));
        for (int i : {2, 4, 5})
            QCOMPARE(testroot::readFile(QString("/media/data/q%1.txt").arg(i)), QString("entry %1").arg(i).toLatin1());
        QCOMPARE(testroot::readFile("/media/data/q3.txt"), QByteArray("kept"));
    }

    void refusesEntriesHoldingTheSeparator()
    {
        MemoryOp op;
        QVERIFY(!op.appendToQueue("/media/data/a#_ZUM_#b", "text"));
        QVERIFY(!op.appendToQueue("/media/data/a", "x#_ZUM_#y"));
        QVERIFY(MemoryOp::pendingEntries().isEmpty());
    }

    // Byte for byte, and replaced rather than rewritten in place (a power
    // cut during the copy must leave a whole backup): a reader of the old
    // backup still reads it whole.
    void backupIsByteIdentical()
    {
        FileIo io;
        testroot::writeFile("/media/data/2JV.profile_BKUP", "{\"old\":1}");
        QFile old(testroot::path("/media/data/2JV.profile_BKUP"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(io.write("/media/data/2JV.profile", QString::fromUtf8("{\"name\":\"Caf\xc3\xa9\"}")));
        io.writeBKProfile("/media/data/2JV.profile");
        QCOMPARE(testroot::readFile("/media/data/2JV.profile_BKUP"), testroot::readFile("/media/data/2JV.profile"));
        QCOMPARE(old.readAll(), QByteArray("{\"old\":1}"));
    }

    // The newest leftover of an interrupted save restores its file; every
    // leftover goes, files with one dot or of other owners stay; a file
    // without leftovers (a profile never saved) prints nothing on the
    // console's output.
    void recoverRestoresLeftoverAndClearsTemporaries()
    {
        testroot::writeFile("/media/data/3JV.profile.Ab34Cd", "older save");
        QFile older(testroot::path("/media/data/3JV.profile.Ab34Cd"));
        QVERIFY(older.open(QIODevice::ReadWrite));
        QVERIFY(older.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        testroot::writeFile("/media/data/3JV.profile.Xa81Qz", "recovered");
        testroot::writeFile("/media/data/7JV.profile.Pq09Lm", "other leftover");
        testroot::writeFile("/media/data/1JV.profile_BKUP", "untouched");
        testroot::writeFile("/media/data/ot.log", "untouched");
        const QStringList foreign{"3JV.profile.orig", "zumstart.good.tmp", "zumstart.log.1"};
        for (const QString &name : foreign)
            testroot::writeFile("/media/data/" + name, "foreign");
        FileIo().recoverFile("/media/data/3JV.profile");
        QTemporaryFile output;
        QVERIFY(output.open());
        const int stderrCopy = ::dup(2);
        ::dup2(output.handle(), 2);
        FileIo().recoverFile("/media/data/9JV.profile");
        ::dup2(stderrCopy, 2);
        ::close(stderrCopy);
        QVERIFY(output.seek(0));
        QCOMPARE(output.readAll(), QByteArray());
        QStringList left = QDir(testroot::path("/media/data")).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, (QStringList{"1JV.profile_BKUP", "3JV.profile", "3JV.profile.orig", "ot.log", "zumstart.good.tmp",
                                    "zumstart.log.1"}));
        QCOMPARE(testroot::readFile("/media/data/3JV.profile"), QByteArray("recovered"));
    }

    // A save in flight on another thread (remote link, write queue) keeps
    // its temporary file: the clean-up waits for it, boundedly.
    void recoverLeavesSaveInFlight()
    {
        std::atomic<int> step{0};
        std::unique_ptr<QThread> saver(QThread::create([&] {
            std::shared_lock<std::shared_timed_mutex> saving(MemoryOp::saveLock());
            testroot::writeFile("/media/data/5JV.profile.Ab12Cd", "half written");
            step = 1;
            while (step != 2)
                QThread::msleep(5);
        }));
        saver->start();
        QTRY_COMPARE(step.load(), 1);
        QElapsedTimer clock;
        clock.start();
        FileIo().recoverFile("/media/data/5JV.profile");
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(QFile::exists(testroot::path("/media/data/5JV.profile.Ab12Cd")));
        QVERIFY(!QFile::exists(testroot::path("/media/data/5JV.profile")));
        step = 2;
        QVERIFY(saver->wait(5000));
    }
};

ZUM_TEST_MAIN(TestWriteQueue)
#include "tst_writequeue.moc"
