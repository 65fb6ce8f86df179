#include "FileIo.h"
#include "Platform.h"
#include "SimRoot.h"
#include "TestRoot.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class TestFileIo : public QObject
{
    Q_OBJECT

    sim::SimRoot root{testroot::root()};

private slots:
    void init()
    {
        QDir(testroot::path("/dev")).removeRecursively();
        QDir().mkpath(testroot::path("/dev"));
        QFile::remove(testroot::path("/sim/mountable"));
        root.clearCalls();
    }

    void write_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // what the file holds afterwards
        const QString file = "/media/data/keep.txt";
        QTest::newRow("ascii") << file << "{\"dwell\":120}\n" << QByteArray("{\"dwell\":120}\n");
        QTest::newRow("latin1") << file << QString::fromUtf8("25 \xc2\xb0" "C") << QByteArray("25 \xb0" "C");
        QTest::newRow("outside latin1") << file << QString::fromUtf8("\xe2\x82\xac x \xe2\x9c\x93") << QByteArray("? x ?");
        QTest::newRow("empty contents: old kept") << file << "" << QByteArray("precious");
        QTest::newRow("cannot be created: old kept") << file + "/inner" << "new" << QByteArray("precious");
    }

    // Latin-1 bytes, read back as written; a write that cannot commit keeps
    // the old file and leaves no temporary file behind.
    void write()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        FileIo io;
        testroot::writeFile("/media/data/keep.txt", "precious");
        QCOMPARE(io.write(name, text), bytes != "precious");
        QCOMPARE(testroot::readFile("/media/data/keep.txt"), bytes);
        QCOMPARE(io.read("/media/data/keep.txt"), QString::fromLatin1(bytes));
        QCOMPARE(QDir(testroot::path("/media/data")).entryList({"keep.txt*"}, QDir::Files), QStringList{"keep.txt"});
    }

    void urlsAndShell()
    {
        FileIo io;
        QVERIFY(io.writeUrl("file:///media/data/a.txt", "via url"));
        QCOMPARE(io.readUrl("file:///media/data/a.txt"), QString("via url"));
        QVERIFY(!io.writeUrl("http://127.0.0.1/a.txt", "nowhere"));
        QVERIFY(io.exeSys("exit 3")); // only a shell that cannot start fails
        QCOMPARE(platform::exitCode(io.runSystemCmd("exit 3")), 3);
        // Board paths in a command land in the simulated root.
        QCOMPARE(io.runSystemCmd("echo hi > /media/data/echo.txt"), 0);
        QCOMPARE(testroot::readFile("/media/data/echo.txt"), QByteArray("hi\n"));
    }

    void mountTriesCandidatesInOrder_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("mountable");
        QTest::addColumn<QStringList>("tried"); // the last one mounted, if any is mountable
        const QStringList all{"/dev/sda1", "/dev/sda", "/dev/sdb1", "/dev/sdb", "/dev/sdc1", "/dev/sdc"};
        QTest::newRow("partition first") << all << QStringList{"/dev/sda1", "/dev/sda"} << QStringList{"/dev/sda1"};
        QTest::newRow("falls through to sdb1") << QStringList{"/dev/sda", "/dev/sdb1", "/dev/sdc"}
                                               << QStringList{"/dev/sdb1", "/dev/sdc"}
                                               << QStringList{"/dev/sda", "/dev/sdb1"};
        QTest::newRow("none mounts") << all << QStringList() << all;
        QTest::newRow("no device") << QStringList() << QStringList{"/dev/sda1"} << QStringList();
    }

    void mountTriesCandidatesInOrder()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, mountable);
        QFETCH(QStringList, tried);
        for (const QString &device : present)
            root.addDevice(device);
        root.setMountable(mountable);
        QCOMPARE(FileIo().mountUsb(), !tried.isEmpty() && mountable.contains(tried.last()));
        QStringList expected{"umount /media/usb"};
        for (const QString &device : tried)
            expected.append("mount " + device + " /media/usb");
        QCOMPARE(root.callLines(), expected);
    }

    // Plain files only: not directories, dot files, FIFOs, sockets, links to
    // devices or dangling links, whatever the filter lets through.
    void findFilesListsPlainFilesOnly()
    {
        const QString dir = "/media/usb/JET_VALVE";
        testroot::writeFile(dir + "/zumvalvecontroller", "binary");
        testroot::writeFile(dir + "/.hidden", "dot file");
        QDir().mkpath(testroot::path(dir + "/sub"));
        QCOMPARE(::mkfifo(QFile::encodeName(testroot::path(dir + "/fifo")).constData(), 0600), 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(testroot::path(dir + "/socket")).constData(), sizeof address.sun_path);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(socket);
        QVERIFY(QFile::link("/dev/null", testroot::path(dir + "/device")));
        QVERIFY(QFile::link(testroot::path(dir + "/gone"), testroot::path(dir + "/dangling")));
        FileIo io;
        QCOMPARE(io.findFiles(dir, "*"), QStringList{dir + "/zumvalvecontroller"});
        QCOMPARE(io.findFiles(dir, "sub"), QStringList());
        QCOMPARE(io.findFiles("/media/usb/NOTHERE", "*"), QStringList());
    }

    // A writer killed at any moment leaves the file with one whole version.
    void killedWriterLeavesOldOrNewContent()
    {
        const QByteArray first(64 * 1024, 'a');
        const QByteArray second(96 * 1024, 'b');
        testroot::writeFile("/media/data/crash.dat", first);
        for (int round = 0; round < 40; ++round) {
            QProcess writer;
            testroot::start(writer, ATOMIC_WRITER, {"/media/data/crash.dat"});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(5 + int(QRandomGenerator::global()->bounded(40)));
            // Only a live child is signalled: once a process has ended its id
            // reads 0, and kill(0) would hit the whole process group.
            const qint64 pid = writer.processId();
            QVERIFY2(pid > 0 && writer.state() == QProcess::Running, "the writer ended on its own");
            ::kill(pid_t(pid), SIGKILL);
            QVERIFY(writer.waitForFinished());
            const QByteArray now = testroot::readFile("/media/data/crash.dat");
            QVERIFY2(now == first || now == second, qPrintable(QString("round %1: %2 bytes").arg(round).arg(now.size())));
        }
    }
};

ZUM_TEST_MAIN(TestFileIo)
#include "tst_fileio.moc"
