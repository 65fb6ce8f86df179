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
        QTest::newRow("bad crc, count 0: rewritten") << 0 << QByteArray("5#1#301") << QByteArray("0#1#301");
        QTest::newRow("not a number, count 0: rewritten") << 0 << QByteArray("x#1#301") << QByteArray("0#1#301");
        // Older versions kept the flags unreduced; the record holds their low byte.
        QTest::newRow("flags beyond a byte are intact") << 0 << QByteArray("0#257#301") << QByteArray("0#257#301");
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
        QTest::addColumn<QByteArray>("chip"); // empty: forgets every write (/dev/zero)
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("after");
        const QString zeros = QStringLiteral("#0#0#-294967296");
        const QByteArray oldFlags("12345#257#35158");
        QTest::newRow("forgetful, intact mirror") << QByteArray() << good << good + zeros << good;
        QTest::newRow("forgetful, no mirror") << QByteArray() << none << "0#1#301" + zeros << QByteArray("0#1#301");
        QTest::newRow("forgetful, older mirror") << QByteArray() << oldFlags << good + zeros << oldFlags;
        // One flipped bit is a damaged record, not an old text chip: the
        // mirror restores the count, no random count replaces it.
        QTest::newRow("flipped bit, intact mirror") << QByteArray::fromHex("38300000015689") << good
                                                    << QString::fromLatin1(good + "#12344#1#-294967296") << good;
    }

    // Fields 0 and 1 of the result name what is now on the chip.
    void corruptChip()
    {
        QFETCH(QByteArray, chip);
        QFETCH(QByteArray, before);
        QFETCH(QString, result);
        QFETCH(QByteArray, after);
        if (chip.isEmpty())
            bus().replaceEeprom(QStringLiteral("/dev/zero"));
        else
            bus().putBytes(chip);
        putMirror(before);
        QCOMPARE(FileIo().jetValveReadEPROM(), result);
        QCOMPARE(mirror(), after);
        if (!chip.isEmpty())
            QCOMPARE(chipRecord(), QByteArray::fromHex("39300000015689"));
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
