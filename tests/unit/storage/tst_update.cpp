#include "FileIo.h"
#include "TestRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Installs from the USB stick: a copy that fails or comes out short must
// leave the installed program as it was.
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

void TestUpdate::installUpdate_data()
{
    QTest::addColumn<int>("shortCopy"); // -1: the real cp
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("installed");
    const QByteArray program(64 * 1024, 'P');
    QTest::newRow("program") << -1 << program << true << true << true;
    QTest::newRow("first install, driver") << -1 << program << false << false << true;
    QTest::newRow("copy fails") << 1 << program << true << true << false;
    QTest::newRow("copy short, status 0") << 0 << program << true << true << false;
}

void TestUpdate::installUpdate()
{
    QFETCH(int, shortCopy);
    QFETCH(QByteArray, source);
    QFETCH(bool, previous);
    QFETCH(bool, executable);
    QFETCH(bool, installed);
    const QString target = "/usr/bin/zumvalvecontroller";
    testroot::writeFile("/media/usb/JET_VALVE/zumvalvecontroller", source);
    if (previous)
        testroot::writeFile(target, "old program");
    if (shortCopy >= 0)
        useShortCopy(shortCopy);

    FileIo io;
    QCOMPARE(io.installUpdate("/media/usb/JET_VALVE/zumvalvecontroller", target, executable), installed);

    QVERIFY(!QFile::exists(testroot::path(target + ".new")));
    if (!installed) {
        QCOMPARE(testroot::readFile(target), QByteArray("old program"));
        return;
    }
    QCOMPARE(testroot::readFile(target), source);
    QCOMPARE(QFileInfo(testroot::path(target)).isExecutable(), executable);
    QCOMPARE(QFile::exists(testroot::path(target + ".old")), previous);
    if (previous)
        QCOMPARE(testroot::readFile(target + ".old"), QByteArray("old program"));
}

ZUM_TEST_MAIN(TestUpdate)

#include "tst_update.moc"
