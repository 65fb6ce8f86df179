#include "FileIo.h"
#include "Platform.h"
#include "SimRoot.h"
#include "TestRoot.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>

class TestFileIo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writeStoresLatin1Bytes_data();
    void writeStoresLatin1Bytes();
    void writeThatCannotCommitKeepsOldFile_data();
    void writeThatCannotCommitKeepsOldFile();
    void readOfMissingFileIsEmpty();
    void urls();
    void shellStatus();
    void mountTriesCandidatesInOrder_data();
    void mountTriesCandidatesInOrder();
    void unmountReportsStatus();
    void findFilesListsPlainFilesOnly();
    void killedWriterLeavesOldOrNewContent();

private:
    sim::SimRoot root{testroot::root()};
};

void TestFileIo::init()
{
    QDir(testroot::path("/dev")).removeRecursively();
    QDir().mkpath(testroot::path("/dev"));
    QFile::remove(testroot::path("/sim/mountable"));
    QFile::remove(testroot::path("/sim/umount.status"));
    root.clearCalls();
}

void TestFileIo::writeStoresLatin1Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "{\"dwell\":120}\n" << QByteArray("{\"dwell\":120}\n");
    QTest::newRow("latin1") << QString::fromUtf8("25 \xc2\xb0" "C") << QByteArray("25 \xb0" "C");
    QTest::newRow("outside latin1") << QString::fromUtf8("\xe2\x82\xac x \xe2\x9c\x93") << QByteArray("? x ?");
}

void TestFileIo::writeStoresLatin1Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    FileIo io;
    testroot::writeFile("/media/data/1JV.profile", "old contents that are longer");
    QVERIFY(io.write("/media/data/1JV.profile", text));
    QCOMPARE(testroot::readFile("/media/data/1JV.profile"), bytes);
    QCOMPARE(io.read("/media/data/1JV.profile"), QString::fromLatin1(bytes)); // read gives back what was kept
    QCOMPARE(QDir(testroot::path("/media/data")).entryList({"1JV.profile*"}, QDir::Files),
             QStringList{"1JV.profile"});
}

void TestFileIo::writeThatCannotCommitKeepsOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty contents") << "/media/data/keep.txt" << "";
    QTest::newRow("cannot be created") << "/media/data/keep.txt/inner" << "new";
}

void TestFileIo::writeThatCannotCommitKeepsOldFile()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    FileIo io;
    testroot::writeFile("/media/data/keep.txt", "precious");
    QVERIFY(!io.write(name, text));
    QCOMPARE(testroot::readFile("/media/data/keep.txt"), QByteArray("precious"));
}

void TestFileIo::readOfMissingFileIsEmpty()
{
    FileIo io;
    QCOMPARE(io.read("/media/data/missing.dat"), QString());
    testroot::writeFile("/media/data/there.dat", "line 1\nline 2");
    QCOMPARE(io.read("/media/data/there.dat"), QString("line 1\nline 2"));
}

void TestFileIo::urls()
{
    FileIo io;
    QVERIFY(io.writeUrl("file:///media/data/a.txt", "via url"));
    QCOMPARE(io.read("/media/data/a.txt"), QString("via url"));
    QCOMPARE(io.readUrl("file:///media/data/a.txt"), QString("via url"));
    QVERIFY(!io.writeUrl("http://127.0.0.1/a.txt", "nowhere"));
    QCOMPARE(io.readUrl("http://127.0.0.1/a.txt"), QString());
}

void TestFileIo::shellStatus()
{
    FileIo io;
    QVERIFY(io.exeSys("false"));
    QVERIFY(io.exeSys("exit 3"));
    QCOMPARE(platform::exitCode(io.runSystemCmd("exit 3")), 3);
    QVERIFY(io.runSystemCmd("exit 3") != 0);
    QCOMPARE(io.runSystemCmd("true"), 0);
    // Board paths in a command land in the simulated root.
    QCOMPARE(io.runSystemCmd("echo hi > /media/data/echo.txt"), 0);
    QCOMPARE(testroot::readFile("/media/data/echo.txt"), QByteArray("hi\n"));
}

void TestFileIo::mountTriesCandidatesInOrder_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("mountable");
    QTest::addColumn<bool>("mounted");
    QTest::addColumn<QStringList>("tried");
    const QStringList all{"/dev/sda1", "/dev/sda", "/dev/sdb1", "/dev/sdb", "/dev/sdc1", "/dev/sdc"};
    QTest::newRow("partition first") << all << QStringList{"/dev/sda1", "/dev/sda"} << true
                                     << QStringList{"/dev/sda1"};
    QTest::newRow("falls through to sdb1") << QStringList{"/dev/sda", "/dev/sdb1", "/dev/sdc"}
                                           << QStringList{"/dev/sdb1", "/dev/sdc"} << true
                                           << QStringList{"/dev/sda", "/dev/sdb1"};
    QTest::newRow("none mounts") << all << QStringList() << false << all;
    QTest::newRow("no device") << QStringList() << QStringList{"/dev/sda1"} << false << QStringList();
}

void TestFileIo::mountTriesCandidatesInOrder()
{
    QFETCH(QStringList, present);
    QFETCH(QStringList, mountable);
    QFETCH(bool, mounted);
    QFETCH(QStringList, tried);
    for (const QString &device : present)
        root.addDevice(device);
    root.setMountable(mountable);
    FileIo io;
    QCOMPARE(io.mountUsb(), mounted);

    QStringList expected{"umount /media/usb"};
    for (const QString &device : tried)
        expected.append("mount " + device + " /media/usb");
    QCOMPARE(root.callLines(), expected);
    QVERIFY(QFileInfo(testroot::path("/media/usb")).isDir());
}

void TestFileIo::unmountReportsStatus()
{
    FileIo io;
    QVERIFY(io.unMountUsb());
    root.writeFile("/sim/umount.status", "1\n");
    QVERIFY(!io.unMountUsb());
    QCOMPARE(io.getUsbMountPoint(), QString("/media/usb"));
}

void TestFileIo::findFilesListsPlainFilesOnly()
{
    FileIo io;
    testroot::writeFile("/media/usb/JET_VALVE/zumvalvecontroller", "binary");
    testroot::writeFile("/media/usb/JET_VALVE/readme.txt", "text");
    QDir().mkpath(testroot::path("/media/usb/JET_VALVE/sub.bin"));
    QCOMPARE(io.findFiles("/media/usb/JET_VALVE", "zumvalvecontroller"),
             QStringList{"/media/usb/JET_VALVE/zumvalvecontroller"});
    QStringList all = io.findFiles("/media/usb/JET_VALVE", "*");
    all.sort();
    QCOMPARE(all, (QStringList{"/media/usb/JET_VALVE/readme.txt", "/media/usb/JET_VALVE/zumvalvecontroller"}));
    QCOMPARE(io.findFiles("/media/usb/JET_VALVE", "*.bin"), QStringList());
    QCOMPARE(io.findFiles("/media/usb/NOTHERE", "*"), QStringList());
}

// A writer killed at any moment leaves the file with one whole version.
void TestFileIo::killedWriterLeavesOldOrNewContent()
{
    const QByteArray first(64 * 1024, 'a');
    const QByteArray second(96 * 1024, 'b');
    testroot::writeFile("/media/data/crash.dat", first);
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 40; ++round) {
        QProcess writer;
        writer.start(ATOMIC_WRITER, {"/media/data/crash.dat"});
        QVERIFY(writer.waitForStarted());
        QTest::qWait(5 + int(random->bounded(40)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        const QByteArray now = testroot::readFile("/media/data/crash.dat");
        QVERIFY2(now == first || now == second, qPrintable(QString("round %1: %2 bytes").arg(round).arg(now.size())));
    }
}

ZUM_TEST_MAIN(TestFileIo)
#include "tst_fileio.moc"
