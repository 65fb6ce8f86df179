// The file mirror of the valve record: kept up to date from a good chip,
// used to restore a chip that stays corrupt, reset with it when unusable.
#include "EpromRecord.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "ValveFixture.h"

using namespace valvefixture;

namespace {

const QByteArray noMirror("<none>");

void putMirror(const QByteArray &text)
{
    if (text != noMirror)
        testroot::writeFile(mirrorPath(), text);
}

QByteArray mirror()
{
    return mirrorExists() ? testroot::readFile(mirrorPath()) : noMirror;
}

} // namespace

class TestEepromMirror : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    void goodChipRefreshesMirror_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("leftAlone");

        const QByteArray other = "777#1#" + QByteArray::number(recordCrc(777, 1));
        QTest::newRow("first read creates") << 12345 << noMirror << QByteArray("12345#1#35158") << false;
        QTest::newRow("count 0 creates") << 0 << noMirror << QByteArray("0#1#301") << false;
        QTest::newRow("count above 0 rewrites") << 12345 << other << QByteArray("12345#1#35158") << false;
        QTest::newRow("count 0 keeps intact mirror") << 0 << other << other << true;
        QTest::newRow("two fields, count 0: kept") << 0 << QByteArray("5#1") << QByteArray("5#1") << true;
        QTest::newRow("two fields, count above 0: rewritten") << 12345 << QByteArray("5#1") << QByteArray("12345#1#35158")
                                                              << false;
        QTest::newRow("bad crc, count 0: rewritten") << 0 << QByteArray("5#1#301") << QByteArray("0#1#301") << false;
        QTest::newRow("not a number, count 0: rewritten") << 0 << QByteArray("x#1#301") << QByteArray("0#1#301")
                                                          << false;
    }

    void goodChipRefreshesMirror()
    {
        QFETCH(int, count);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(bool, leftAlone);

        bus().putRecord(uint32_t(count), 1);
        putMirror(before);
        LogCapture log;
        const QString expected = EpromRecord::make(count, 1).text();
        QCOMPARE(FileIo().jetValveReadEPROM(), expected);
        QCOMPARE(mirror(), after);
        QCOMPARE(log.has(QStringLiteral("FILESYS file exists and counts are equal -- no update")), leftAlone);
        QCOMPARE(bus().eeprom().left(7), EpromRecord::make(count, 1).toBytes());
    }

    void corruptChip_data()
    {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("decision");

        const QString restore = QStringLiteral("bad device crc, but good file crc, restore device");
        const QString resetBoth = QStringLiteral("bad device crc, and bad file crc, reset both to default");
        const QByteArray good("12345#1#35158");
        // /dev/zero forgets writes: its record stays corrupt whatever is written.
        QTest::newRow("forgetful, intact mirror") << "/dev/zero" << good << "12345#1#35158#0#0#-294967296" << good
                                                  << restore;
        QTest::newRow("forgetful, no mirror") << "/dev/zero" << noMirror << "0#1#301#0#0#-294967296"
                                              << QByteArray("0#1#301") << resetBoth;
        QTest::newRow("forgetful, two-field mirror") << "/dev/zero" << QByteArray("12345#1")
                                                     << "0#1#301#0#0#-294967296" << QByteArray("0#1#301") << resetBoth;
        QTest::newRow("forgetful, bad-crc mirror") << "/dev/zero" << QByteArray("12345#1#35150")
                                                   << "0#1#301#0#0#-294967296" << QByteArray("0#1#301") << resetBoth;
        // A chip that cannot be read whole but takes writes: the restore lands.
        QTest::newRow("unreadable, intact mirror") << "short" << good << "12345#1#35158#0#0#-294967296" << good
                                                   << restore;
        QTest::newRow("unreadable, no mirror") << "short" << noMirror << "0#1#301#0#0#-294967296"
                                               << QByteArray("0#1#301") << resetBoth;
    }

    // Fields 0 and 1 of the result always name what now sits on the chip.
    void corruptChip()
    {
        QFETCH(QString, chip);
        QFETCH(QByteArray, before);
        QFETCH(QString, result);
        QFETCH(QByteArray, after);
        QFETCH(QString, decision);

        if (chip == QLatin1String("short")) {
            bus().replaceEeprom(QString());
            testroot::writeFile(bus().eepromPath(), QByteArray("\x01\x02", 2));
        } else {
            bus().replaceEeprom(chip);
        }
        putMirror(before);
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), result);
        QCOMPARE(mirror(), after);
        QVERIFY(log.has(decision));
        QCOMPARE(log.count(QStringLiteral("fileReadResult: success")), before == QByteArray("12345#1#35158") ? 1 : 0);
        if (chip == QLatin1String("short")) {
            const RecordText expected = RecordText::parse(QString::fromLatin1(after));
            QCOMPARE(bus().eeprom().left(7), EpromRecord::make(expected.count, expected.flags).toBytes());
        }
    }

    void directModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("after");

        const QByteArray good("12345#1#35158");
        QTest::newRow("check, none") << 0 << noMirror << -3 << noMirror;
        QTest::newRow("check, intact") << 0 << good << 0 << good;
        QTest::newRow("check, corrupt") << 0 << QByteArray("1#1#1") << -2 << QByteArray("1#1#1");
        QTest::newRow("restore, none") << 1 << noMirror << -4 << noMirror;
        QTest::newRow("restore, corrupt") << 1 << QByteArray("1#1") << -2 << QByteArray("1#1");
        QTest::newRow("restore, intact") << 1 << good << 0 << good;
        QTest::newRow("reset") << 3 << good << 0 << QByteArray("0#1#301");
        QTest::newRow("force, count 0 over intact") << 4 << good << 0 << QByteArray("0#1#301");
    }

    // Results of each mode, and the chip and result text after a restore or reset.
    void directModes()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, before);
        QFETCH(int, status);
        QFETCH(QByteArray, after);

        bus().putRecord(99, 1);
        putMirror(before);
        int count = 0;
        unsigned char flags = 1;
        QString text = QStringLiteral("7#1#%1#tail").arg(recordCrc(7, 1));
        QCOMPARE(FileIo().epromFromFilesys(mode, &count, &flags, &text), status);
        QCOMPARE(mirror(), after);
        const bool chipWritten = status == 0 && (mode == 1 || mode == 3);
        if (chipWritten) {
            const QString restored = QString::fromLatin1(after);
            QCOMPARE(text, restored + QStringLiteral("#tail"));
            QCOMPARE(bus().eeprom().left(7),
                     EpromRecord::make(RecordText::parse(restored).count, RecordText::parse(restored).flags).toBytes());
            QCOMPARE(count, RecordText::parse(restored).count);
        } else {
            QCOMPARE(bus().eeprom().left(7), sim::SimOneWire::recordBytes(99, 1));
        }
    }

    // Restore or reset with a chip that refuses the write still reports it.
    void restoreOntoRefusingChip()
    {
        bus().replaceEeprom(QStringLiteral("/dev/full"));
        QString text;
        QCOMPARE(FileIo().epromFromFilesys(3, nullptr, nullptr, &text), -5);
        QCOMPARE(text, QStringLiteral("0#1#301#"));
        bus().replaceEeprom(QString());
        QCOMPARE(FileIo().epromFromFilesys(3, nullptr, nullptr, nullptr), -5);
    }

    // A lookalike that is a symbolic link, or only resembles the name, is no mirror.
    void onlyExactPlainFileCounts()
    {
        bus().putRecord(0, 1);
        testroot::writeFile(QStringLiteral("/media/data/elsewhere"), "12345#1#35158");
        QVERIFY(QFile::link(testroot::path(QStringLiteral("/media/data/elsewhere")), testroot::path(mirrorPath())));
        testroot::writeFile(mirrorPath() + QStringLiteral("x"), "12345#1#35158");
        QCOMPARE(FileIo().epromFromFilesys(0, nullptr, nullptr, nullptr), -3);
    }
};

ZUM_TEST_MAIN(TestEepromMirror)
#include "tst_eeprommirror.moc"
