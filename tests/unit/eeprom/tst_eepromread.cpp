// Reading the valve record from the fake 1-Wire bus and reconciling it with
// its file mirror: good, legacy, erased, damaged, unreadable and missing
// chips, and stale devices left on the bus.
#include "EpromRecord.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "ValveFixture.h"

using namespace valvefixture;

namespace {
const QByteArray none("<none>");
const QByteArray good("12345#1#35158");
const QByteArray chip12345 = QByteArray::fromHex("39300000015689");

QByteArray mirror()
{
    return QFile::exists(testroot::path(mirrorPath())) ? testroot::readFile(mirrorPath()) : none;
}
} // namespace

class TestEepromRead : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("chip"); // empty: forgets every write (/dev/zero)
        QTest::addColumn<QByteArray>("before"); // the mirror
        QTest::addColumn<QString>("result"); // empty: a random count in range
        QTest::addColumn<QByteArray>("after"); // the mirror; empty: the result
        QTest::addColumn<QByteArray>("chipAfter");
        const QByteArray top = sim::SimOneWire::recordBytes(INT32_MAX, 1);
        const QByteArray chip0 = QByteArray::fromHex("00000000012d01");
        const QByteArray chipMin = sim::SimOneWire::recordBytes(0x80000000u, 7);
        const QByteArray other = "777#1#" + QByteArray::number(recordCrc(777, 1));
        const QByteArray higher = "25000#1#" + QByteArray::number(recordCrc(25000, 1));
        const QByteArray random;
        const QString zeros = QStringLiteral("#0#0#-294967296");
        QTest::newRow("12345") << chip12345 << none << "12345#1#35158" << random << chip12345;
        QTest::newRow("count 2^31 reads negative") << chipMin << none << QStringLiteral("-2147483648#7#%1").arg(recordCrc(INT32_MIN, 7))
                                                   << random << chipMin;
        QTest::newRow("legacy text") << QByteArray("123456#") << none << "123456#1#20215" << random
                                     << QByteArray::fromHex("40e2010001f74e");
        QTest::newRow("legacy 2^31-1") << QByteArray("2147483647#") << none
                                       << QStringLiteral("2147483647#1#%1").arg(recordCrc(INT32_MAX, 1)) << random << top;
        for (const char *text : {"erased", "#123456", "12a45#", "2147483648#"})
            QTest::newRow(text) << (*text == 'e' ? QByteArray(128, '\xff') : QByteArray(text)) << none << QString()
                                << random << random;
        // Mirror upkeep from a good chip.
        QTest::newRow("count above 0 rewrites") << chip12345 << other << QString::fromLatin1(good) << good << chip12345;
        // A higher mirror holds cycles parked for this valve while it was off.
        QTest::newRow("higher mirror kept") << chip12345 << higher << QString::fromLatin1(good) << higher << chip12345;
        QTest::newRow("count 0 leaves intact") << chip0 << other << "0#1#301" << other << chip0;
        QTest::newRow("two fields, count 0: left") << chip0 << QByteArray("5#1") << "0#1#301" << QByteArray("5#1") << chip0;
        QTest::newRow("bad crc, count 0: rewritten") << chip0 << QByteArray("5#1#301") << "0#1#301" << random << chip0;
        QTest::newRow("not a number, count 0: rewritten") << chip0 << QByteArray("x#1#301") << "0#1#301" << random
                                                          << chip0;
        // Older versions kept the flags unreduced; the record holds their low byte.
        QTest::newRow("flags beyond a byte are intact") << chip0 << QByteArray("0#257#301") << "0#1#301"
                                                        << QByteArray("0#257#301") << chip0;
        // A chip that stays corrupt: fields 0 and 1 name what is now on it.
        QTest::newRow("forgetful, intact mirror") << random << good << good + zeros << good << random;
        QTest::newRow("forgetful, no mirror") << random << none << "0#1#301" + zeros << QByteArray("0#1#301") << random;
        QTest::newRow("forgetful, older mirror") << random << QByteArray("12345#257#35158") << good + zeros
                                                 << QByteArray("12345#257#35158") << random;
        // One flipped bit is a damaged record, not an old text chip: the
        // mirror restores the count, no random count replaces it.
        QTest::newRow("flipped bit, intact mirror") << QByteArray::fromHex("38300000015689") << good
                                                    << QString::fromLatin1(good + "#12344#1#-294967296") << good
                                                    << chip12345;
    }

    void reads()
    {
        QFETCH(QByteArray, chip);
        QFETCH(QByteArray, before);
        QFETCH(QString, result);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, chipAfter);
        if (chip.isEmpty())
            bus().replaceEeprom(QStringLiteral("/dev/zero"));
        else
            bus().putBytes(chip);
        if (before != none)
            testroot::writeFile(mirrorPath(), before);
        const QString read = FileIo().jetValveReadEPROM();
        if (result.isEmpty()) {
            const RecordText parsed = RecordText::parse(read);
            QVERIFY2(parsed.intact && parsed.fieldCount == 3 && parsed.flags == 1, qPrintable(read));
            QVERIFY2(parsed.count >= 500000000 && parsed.count <= 600000000, qPrintable(read));
            result = read;
            chipAfter = sim::SimOneWire::recordBytes(uint32_t(parsed.count), 1);
        }
        QCOMPARE(read, result);
        QCOMPARE(mirror(), after.isEmpty() ? result.toLatin1() : after);
        if (!chip.isEmpty())
            QCOMPARE(chipRecord(), chipAfter);
    }

    // No chip, two valves the bus master keeps listing, or a chip whose reads
    // keep failing: an empty result, and chip and mirror stay as they are.
    void unreadableChipIsLeftAlone_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("retries");
        QTest::newRow("slave without eeprom") << "no-eeprom" << 0;
        QTest::newRow("no valve fitted") << "no-slave" << 0;
        QTest::newRow("two valves listed") << "two-slaves" << 0;
        QTest::newRow("reads keep failing") << "short" << 5;
    }

    void unreadableChipIsLeftAlone()
    {
        QFETCH(QString, setup);
        QFETCH(int, retries);
        testroot::writeFile(mirrorPath(), good);
        if (setup == QLatin1String("no-slave"))
            bus().removeSlave(slave());
        else if (setup == QLatin1String("two-slaves"))
            bus().addSlave(QStringLiteral("2d-0000feedbeef"));
        else
            bus().replaceEeprom(QString());
        if (setup == QLatin1String("short"))
            testroot::writeFile(bus().eepromPath(), QByteArray("\x39\x30\x00", 3));
        const QByteArray chip = chipRecord();
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QString());
        QCOMPARE(log.count(QStringLiteral("**Epromfile Read Retry**")), retries);
        QVERIFY(!log.joined().contains(QLatin1String("epromFromFilesys(")));
        QCOMPARE(chipRecord(), chip);
        QCOMPARE(mirror(), good);
    }

    // A second valve on the bus: the one named by the last listing is handed
    // to the bus master for removal (by bare name, although the listing
    // holds rooted paths) and the listing is taken again before reading. An
    // empty last listing names nobody, whatever an older one named.
    void staleDeviceRemoved_data()
    {
        QTest::addColumn<bool>("seenBefore");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("result");
        QTest::newRow("valve seen last time") << true << slave().toLatin1() + "\n"
                                              << QStringLiteral("222#1#%1").arg(recordCrc(222, 1));
        QTest::newRow("empty last listing") << false << QByteArray() << QString();
    }

    void staleDeviceRemoved()
    {
        QFETCH(bool, seenBefore);
        QFETCH(QByteArray, request);
        QFETCH(QString, result);
        const QString fresh = QStringLiteral("2d-0000feedbeef");
        const QString lastSeen = QStringLiteral("/media/data/lastHHWP");
        bus().putRecord(111, 1);
        if (seenBefore)
            QVERIFY(!FileIo().jetValveReadEPROM().isEmpty());
        else // left from long ago; the listing is gone since
            testroot::writeFile(lastSeen, slave().toLatin1() + "\n");
        bus().addSlave(fresh);
        bus().putRecord(222, 1, fresh);
        LogCapture log;
        log.hook = [&](const QString &line) { // stands in for the kernel
            if (line == QLatin1String("a space was found") && testroot::readFile(lastSeen).startsWith(slave().toLatin1()))
                bus().removeSlave(slave());
        };
        QCOMPARE(FileIo().jetValveReadEPROM(), result);
        QCOMPARE(bus().removeRequest(), request);
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

ZUM_TEST_MAIN(TestEepromRead)
#include "tst_eepromread.moc"
