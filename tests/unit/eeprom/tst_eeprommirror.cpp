// The file mirror of the valve record: kept up to date from a good chip,
// used to restore a chip that stays corrupt, reset with it when unusable.
#include "EpromRecord.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "ValveFixture.h"

using namespace valvefixture;

namespace {

const QByteArray none("<none>");
const QByteArray good("12345#1#35158");

void putMirror(const QByteArray &text)
{
    if (text != none)
        testroot::writeFile(mirrorPath(), text);
}

QByteArray mirror()
{
    return QFile::exists(testroot::path(mirrorPath())) ? testroot::readFile(mirrorPath()) : none;
}

} // namespace

class TestEepromMirror : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    void goodChip_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray other = "777#1#" + QByteArray::number(recordCrc(777, 1));
        QTest::newRow("first read creates") << 12345 << none << good;
        QTest::newRow("count above 0 rewrites") << 12345 << other << good;
        QTest::newRow("count 0 leaves intact mirror") << 0 << other << other;
        QTest::newRow("two fields, count 0: left") << 0 << QByteArray("5#1") << QByteArray("5#1");
        QTest::newRow("two fields, count above 0: rewritten") << 12345 << QByteArray("5#1") << good;
        QTest::newRow("bad crc, count 0: rewritten") << 0 << QByteArray("5#1#301") << QByteArray("0#1#301");
        QTest::newRow("not a number, count 0: rewritten") << 0 << QByteArray("x#1#301") << QByteArray("0#1#301");
        QTest::newRow("flags beyond a byte, count 0: rewritten") << 0 << QByteArray("0#257#301") << QByteArray("0#1#301");
    }

    void goodChip()
    {
        QFETCH(int, count);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        bus().putRecord(uint32_t(count), 1);
        putMirror(before);
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), EpromRecord::make(count, 1).text());
        QCOMPARE(mirror(), after);
        QCOMPARE(log.has(QStringLiteral("FILESYS file exists and counts are equal -- no update")), before == after);
    }

    void corruptChip_data()
    {
        QTest::addColumn<bool>("keepsWrites");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        // A forgetful chip (/dev/zero) reads whole but never matches its CRC;
        // a short one never reads whole but keeps what is written, so there
        // the repair can be seen on the chip.
        QTest::newRow("forgetful, intact mirror") << false << good << good;
        QTest::newRow("forgetful, no mirror") << false << none << QByteArray("0#1#301");
        QTest::newRow("short, intact mirror") << true << good << good;
        QTest::newRow("short, no mirror") << true << none << QByteArray("0#1#301");
    }

    // Fields 0 and 1 of the result name what is now on the chip.
    void corruptChip()
    {
        QFETCH(bool, keepsWrites);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        bus().replaceEeprom(keepsWrites ? QString() : QStringLiteral("/dev/zero"));
        if (keepsWrites)
            testroot::writeFile(bus().eepromPath(), "\x01\x02");
        putMirror(before);
        QCOMPARE(FileIo().jetValveReadEPROM(), QString::fromLatin1(after) + QStringLiteral("#0#0#-294967296"));
        QCOMPARE(mirror(), after);
        const RecordText restored = RecordText::parse(QString::fromLatin1(after));
        if (keepsWrites)
            QCOMPARE(chipRecord(), EpromRecord::make(restored.count, restored.flags).toBytes());
    }

    // Only a plain file of exactly the mirror's name counts: not a link,
    // not a longer name, and a "*" in the name is no wildcard.
    void onlyExactPlainFileIsMirror()
    {
        testroot::writeFile(QStringLiteral("/media/data/elsewhere"), good);
        QVERIFY(QFile::link(testroot::path(QStringLiteral("/media/data/elsewhere")), testroot::path(mirrorPath())));
        testroot::writeFile(mirrorPath() + QStringLiteral("x"), good);
        QCOMPARE(FileIo().epromFromFilesys(0, nullptr, nullptr, nullptr), -3);
        bus().removeSlave(slave()); // the listing now names "2d*"
        testroot::writeFile(QStringLiteral("/media/data/2d-000000000001-1"), good);
        QCOMPARE(FileIo().epromFromFilesys(0, nullptr, nullptr, nullptr), -3);
    }
};

ZUM_TEST_MAIN(TestEepromMirror)
#include "tst_eeprommirror.moc"
