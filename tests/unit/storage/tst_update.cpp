#include "ElfSamples.h"
#include "FileIo.h"
#include "TestRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Installs from the USB stick: a file that is not a whole ARM program or
// module, a copy that fails or one that comes out short must leave the
// installed program as it was.
class TestUpdate : public QObject
{
    Q_OBJECT

    QByteArray savedPath = qgetenv("PATH");

private slots:
    void init()
    {
        qputenv("PATH", savedPath);
        QDir(testroot::path("/usr/bin")).removeRecursively();
        QDir().mkpath(testroot::path("/usr/bin"));
    }
    void installUpdate_data();
    void installUpdate();
};

void TestUpdate::installUpdate_data()
{
    using namespace elfsample;
    QTest::addColumn<int>("shortCopy"); // -1: the real cp
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("installed");
    const QByteArray pie = read("program-pie"), driver = read("module");
    const int names = get32(driver, SectionOffset) + 40 * get16(driver, NamesIndex); // the name table's header
    const int modinfoName = driver.indexOf(".modinfo") - get32(driver, names + 16);
    QFile self(QCoreApplication::applicationFilePath());
    QVERIFY(self.open(QIODevice::ReadOnly));

    QTest::newRow("program") << -1 << pie << true << true;
    QTest::newRow("fixed-address program") << -1 << read("program-fixed") << true << true;
    QTest::newRow("driver") << -1 << driver << false << true;
    QTest::newRow("copy fails") << 1 << pie << true << false;
    QTest::newRow("copy short, status 0") << 0 << pie << true << false;
    QTest::newRow("empty") << -1 << QByteArray() << true << false;
    QTest::newRow("text as program") << -1 << QByteArray("# ZUM jet valve console\n").repeated(50) << true << false;
    QTest::newRow("this test program cut to 100000 bytes") << -1 << self.read(100000) << true << false;
    QTest::newRow("x86") << -1 << patched(pie, Machine, 3, 2) << true << false;
    QTest::newRow("section table cut") << -1 << pie.chopped(1) << true << false;
    QTest::newRow("no sections, cut in the last segment")
        << -1 << patched(patched(pie, SectionOffset, 0), SectionCount, 0, 2).left(560) << true << false;
    QTest::newRow("shared library") << -1 << patched(pie, get32(pie, ProgramOffset) + 32, 0) << true << false; // no interpreter
    QTest::newRow("module as program") << -1 << driver << true << false;
    QTest::newRow("program as driver") << -1 << pie << false << false;
    QTest::newRow("driver without .modinfo") << -1 << QByteArray(driver).replace(".modinfo", ".modinfx") << false << false;
    QTest::newRow("\"not a module\" as driver") << -1 << QByteArray("not a module") << false << false;
    // Offsets and sizes a hostile stick may hold: refused, never read past the file.
    QTest::newRow("section table offset wraps") << -1 << patched(driver, SectionOffset, 0xfffffff0) << false << false;
    QTest::newRow("program table past the end") << -1 << patched(pie, ProgramOffset, quint32(pie.size() - 40)) << true << false;
    QTest::newRow("name table index out of range") << -1 << patched(driver, NamesIndex, 99, 2) << false << false;
    QTest::newRow("name table larger than the file") << -1 << patched(driver, names + 20, 0xffffffff) << false << false;
    QTest::newRow("name outside the name table")
        << -1 << patched(driver, get32(driver, SectionOffset), 0x7fffffff) << false << false;
    QTest::newRow("name table ends inside a name") << -1 << patched(driver, names + 20, quint32(modinfoName + 3)) << false << false;
}

void TestUpdate::installUpdate()
{
    QFETCH(int, shortCopy);
    QFETCH(QByteArray, source);
    QFETCH(bool, executable);
    QFETCH(bool, installed);
    const QString target = "/usr/bin/zumvalvecontroller";
    testroot::writeFile("/media/usb/JET_VALVE/zumvalvecontroller", source);
    if (executable) // the driver goes in for the first time
        testroot::writeFile(target, "old program");
    if (shortCopy >= 0) { // a cp that copies 10 bytes and exits with that status
        testroot::writeFile("/bin/cp", "#!/bin/sh\nhead -c 10 \"$2\" > \"$3\"\nexit " + QByteArray::number(shortCopy) + "\n");
        QFile::setPermissions(testroot::path("/bin/cp"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(testroot::path("/bin")) + ':' + savedPath);
    }

    FileIo io;
    QCOMPARE(io.installUpdate("/media/usb/JET_VALVE/zumvalvecontroller", target, executable), installed);

    QVERIFY(!QFile::exists(testroot::path(target + ".new")));
    if (!installed) {
        QCOMPARE(testroot::readFile(target), executable ? QByteArray("old program") : QByteArray());
        QVERIFY(!QFile::exists(testroot::path(target + ".old")));
        return;
    }
    QCOMPARE(testroot::readFile(target), source);
    QCOMPARE(QFileInfo(testroot::path(target)).isExecutable(), executable);
    QCOMPARE(testroot::readFile(target + ".old"), executable ? QByteArray("old program") : QByteArray());
}

ZUM_TEST_MAIN(TestUpdate)

#include "tst_update.moc"
