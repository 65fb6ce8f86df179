#include "ElfImage.h"
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

private slots:
    void init();
    void installUpdate_data();
    void installUpdate();

private:
    // Puts a cp first on PATH that copies only the first 10 bytes and exits
    // with the given status.
    void useShortCopy(int status);

    QByteArray savedPath = qgetenv("PATH");
};

void TestUpdate::init()
{
    qputenv("PATH", savedPath);
    QDir(testroot::path("/usr/bin")).removeRecursively();
    QDir().mkpath(testroot::path("/usr/bin"));
}

void TestUpdate::useShortCopy(int status)
{
    const QString bin = testroot::path("/fakebin");
    testroot::writeFile("/fakebin/cp", "#!/bin/sh\nhead -c 10 \"$2\" > \"$3\"\nexit " + QByteArray::number(status) + "\n");
    QFile::setPermissions(bin + "/cp", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", QFile::encodeName(bin) + ':' + savedPath);
}

namespace {
// The image with one little-endian field of `width` bytes at `at` replaced.
QByteArray patched(QByteArray image, int at, quint32 value, int width = 2)
{
    if (width == 1)
        image[at] = char(value);
    else
        width == 2 ? elfimage::put16(image, at, value) : elfimage::put32(image, at, value);
    return image;
}
} // namespace

void TestUpdate::installUpdate_data()
{
    using namespace elfimage;
    QTest::addColumn<int>("shortCopy"); // -1: the real cp
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("installed");
    const QByteArray pie = program(), driver = module();
    const int loaded = int(get32(pie, 84 + 16)); // the loadable segment's size
    QFile self(QCoreApplication::applicationFilePath());
    QVERIFY(self.open(QIODevice::ReadOnly));

    QTest::newRow("program") << -1 << pie << true << true;
    QTest::newRow("fixed-address program") << -1 << program(Executable) << true << true;
    QTest::newRow("driver") << -1 << driver << false << true;
    QTest::newRow("copy fails") << 1 << pie << true << false;
    QTest::newRow("copy short, status 0") << 0 << pie << true << false;

    QTest::newRow("text as program") << -1 << QByteArray("# ZUM jet valve console\n").repeated(50) << true << false;
    QTest::newRow("this test program cut to 100000 bytes") << -1 << self.read(100000) << true << false;
    QTest::newRow("64-bit") << -1 << patched(pie, Class, 2, 1) << true << false;
    QTest::newRow("x86") << -1 << patched(pie, Machine, 3) << true << false;
    QTest::newRow("header cut") << -1 << pie.left(51) << true << false;
    QTest::newRow("section table cut") << -1 << pie.left(pie.size() - 1) << true << false;
    QTest::newRow("no sections, cut in a segment")
        << -1 << patched(patched(pie, SectionOffset, 0, 4), SectionCount, 0).left(loaded - 1) << true << false;
    QTest::newRow("shared library") << -1 << patched(pie, 52, 1, 4) << true << false;
    QTest::newRow("module as program") << -1 << driver << true << false;
    QTest::newRow("program as driver") << -1 << pie << false << false;
    QTest::newRow("driver without .modinfo")
        << -1 << make(Relocatable, {{".text", "code"}, {".modinfo2", "x"}}) << false << false;
    QTest::newRow("\"not a module\" as driver") << -1 << QByteArray("not a module") << false << false;

    // Offsets and sizes a hostile stick may hold: refused, never read past the file.
    QTest::newRow("section table offset wraps") << -1 << patched(driver, SectionOffset, 0xfffffff0, 4) << false << false;
    QTest::newRow("program table past the end")
        << -1 << patched(pie, ProgramOffset, quint32(pie.size() - 40), 4) << true << false;
    QTest::newRow("65535 program headers") << -1 << patched(pie, ProgramCount, 0xffff) << true << false;
    QTest::newRow("name table index out of range") << -1 << patched(driver, NamesIndex, 99) << false << false;
    const int namesHeader = int(get32(driver, SectionOffset)) + 40 * 3;
    QTest::newRow("name table larger than the file")
        << -1 << patched(driver, namesHeader + 20, 0xffffffff, 4) << false << false;
    QTest::newRow("name outside the name table")
        << -1 << patched(driver, namesHeader - 40, 0x7fffffff, 4) << false << false;
    QByteArray unterminated = driver;
    const int namesEnd = int(get32(driver, namesHeader + 16) + get32(driver, namesHeader + 20));
    unterminated[namesEnd - 1] = 'x'; // ".shstrtab" runs off the table's end
    QTest::newRow("name not ended in the table") << -1 << unterminated << false << false;
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
    if (shortCopy >= 0)
        useShortCopy(shortCopy);

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
