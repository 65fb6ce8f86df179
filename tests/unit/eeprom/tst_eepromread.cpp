// Reading the valve record from the fake 1-Wire bus: good, legacy, erased,
// unreadable and missing chips, and stale devices left on the bus.
#include "EpromRecord.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "ValveFixture.h"

using namespace valvefixture;

namespace {

QByteArray chipRecord()
{
    return bus().eeprom().left(EpromRecord::size);
}

} // namespace

class TestEepromRead : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    void readsChip_data()
    {
        QTest::addColumn<QByteArray>("chip");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("chipAfter");
        QTest::addColumn<bool>("converted");

        const QByteArray reset = QByteArray::fromHex("00000000012d01");
        const QByteArray count12345 = QByteArray::fromHex("39300000015689");
        QTest::newRow("reset record") << reset << "0#1#301" << reset << false;
        QTest::newRow("12345") << count12345 << "12345#1#35158" << count12345 << false;
        QTest::newRow("count 2^31 reads negative")
            << sim::SimOneWire::recordBytes(0x80000000u, 1)
            << QStringLiteral("-2147483648#1#%1").arg(recordCrc(INT32_MIN, 1))
            << sim::SimOneWire::recordBytes(0x80000000u, 1) << false;
        QTest::newRow("legacy text") << QByteArray("123456#") << "123456#1#20215"
                                     << QByteArray::fromHex("40e2010001f74e") << true;
        QTest::newRow("legacy text, trailing junk") << QByteArray("42#zz\x01") << QStringLiteral("42#1#%1").arg(recordCrc(42, 1))
                                                    << sim::SimOneWire::recordBytes(42, 1) << true;
        QTest::newRow("legacy at the limit") << QByteArray("1000000000#")
                                             << QStringLiteral("1000000000#1#%1").arg(recordCrc(1000000000, 1))
                                             << sim::SimOneWire::recordBytes(1000000000u, 1) << true;
    }

    // A good chip reads as it is; a legacy chip is converted once and then read.
    void readsChip()
    {
        QFETCH(QByteArray, chip);
        QFETCH(QString, result);
        QFETCH(QByteArray, chipAfter);
        QFETCH(bool, converted);

        bus().putBytes(chip);
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), result);
        QCOMPARE(chipRecord(), chipAfter);
        QCOMPARE(log.has(QStringLiteral("Crc incorrect, calling checkForLegacyEeprom()")), converted);
        QVERIFY(log.has(QStringLiteral("after S1, returnData is now: ") + result));
    }

    void unusableChipGetsRandomCount_data()
    {
        QTest::addColumn<QByteArray>("chip");
        QTest::newRow("erased (all 0xFF)") << QByteArray(128, '\xff');
        QTest::newRow("hash first") << QByteArray("#123456");
        QTest::newRow("letters before hash") << QByteArray("12a45#");
        QTest::newRow("count too large") << QByteArray("1000000001#");
        QTest::newRow("count far too large") << QByteArray("99999999999999#");
    }

    // Anything that is neither a record nor a usable legacy count gets a
    // fresh record with a random count in the documented range.
    void unusableChipGetsRandomCount()
    {
        QFETCH(QByteArray, chip);
        bus().putBytes(chip);
        const QString result = FileIo().jetValveReadEPROM();
        const RecordText parsed = RecordText::parse(result);
        QVERIFY2(parsed.intact, qPrintable(result));
        QCOMPARE(parsed.fieldCount, 3);
        QVERIFY2(parsed.count >= 500000000 && parsed.count <= 600000000, qPrintable(result));
        QCOMPARE(int(parsed.flags), 1);
        QCOMPARE(chipRecord(), sim::SimOneWire::recordBytes(uint32_t(parsed.count), 1));
        QCOMPARE(testroot::readFile(mirrorPath()), result.toLatin1());
    }

    void unopenableChip_data()
    {
        QTest::addColumn<bool>("slavePresent");
        QTest::newRow("slave without eeprom file") << true;
        QTest::newRow("no valve fitted") << false;
    }

    // No chip: an empty result and no mirror work at all.
    void unopenableChip()
    {
        QFETCH(bool, slavePresent);
        if (slavePresent)
            bus().replaceEeprom(QString());
        else
            bus().removeSlave(slave());
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QString());
        QVERIFY(log.has(QStringLiteral("Could not open file to be read")));
        QCOMPARE(log.countStartingWith(QStringLiteral("epromFromFilesys(")), 0);
        QVERIFY(!mirrorExists());
        if (!slavePresent)
            QVERIFY(testroot::readFile(QStringLiteral("/media/data/HHWP")).trimmed().endsWith("w1_bus_master1/2d*"));
    }

    // The listing holds real (prefixed) paths, yet the names cut from it
    // are the bare device names.
    void listingUnderRootPrefix()
    {
        bus().putRecord(5, 1);
        FileIo io;
        QVERIFY(!io.jetValveReadEPROM().isEmpty());
        QVERIFY(!io.jetValveReadEPROM().isEmpty());
        const QByteArray listing = testroot::readFile(QStringLiteral("/media/data/HHWP"));
        QCOMPARE(listing, (testroot::path(QStringLiteral("/sys/devices/w1_bus_master1/")) + slave() + "\n").toLocal8Bit());
        QCOMPARE(testroot::readFile(QStringLiteral("/media/data/lastHHWP")), slave().toLatin1() + "\n");
        QVERIFY(mirrorExists());
    }

    // A second valve on the bus: the one seen last time is handed to the
    // bus master for removal and the listing is taken again before reading.
    void staleDeviceRemoved()
    {
        const QString fresh = QStringLiteral("2d-0000feedbeef");
        bus().putRecord(111, 1);
        QCOMPARE(FileIo().jetValveReadEPROM(), QStringLiteral("111#1#%1").arg(recordCrc(111, 1)));

        bus().addSlave(fresh);
        bus().putRecord(222, 1, fresh);
        LogCapture log;
        // Stand in for the kernel, which drops the device once asked to.
        log.setHook([&](const QString &line) {
            if (line == QLatin1String("a space was found"))
                bus().removeSlave(slave());
        });
        QCOMPARE(FileIo().jetValveReadEPROM(), QStringLiteral("222#1#%1").arg(recordCrc(222, 1)));
        QCOMPARE(bus().removeRequest(), slave().toLatin1() + "\n");
        QVERIFY(log.has(QStringLiteral("wpath: /sys/devices/w1_bus_master1/") + fresh));
        QVERIFY(log.has(QStringLiteral("indexOf space (should be -1): -1")));
    }

    // If the bus master keeps both devices, the read fails rather than
    // guessing which valve is fitted.
    void twoDevicesStillListed()
    {
        bus().putRecord(111, 1);
        bus().addSlave(QStringLiteral("2d-0000feedbeef"));
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QString());
        QVERIFY(log.has(QStringLiteral("a space was found")));
        QVERIFY(!mirrorExists());
    }

    // A chip that never delivers a whole record: each pass gives up after
    // five logged retries, the attempt counts as failed without any legacy
    // conversion, and with no mirror both are reset.
    void readRetriesAreBounded()
    {
        bus().replaceEeprom(QString());
        testroot::writeFile(bus().eepromPath(), QByteArray("\x39\x30\x00", 3));
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QStringLiteral("0#1#301#0#0#-294967296"));
        QCOMPARE(log.count(QStringLiteral("**Epromfile Read Retry**")), 7 * 2 * 5);
        QCOMPARE(log.count(QStringLiteral("Crc incorrect, calling checkForLegacyEeprom()")), 0);
        QCOMPARE(chipRecord(), QByteArray::fromHex("00000000012d01"));
        QCOMPARE(testroot::readFile(mirrorPath()), QByteArray("0#1#301"));
    }
};

ZUM_TEST_MAIN(TestEepromRead)
#include "tst_eepromread.moc"
