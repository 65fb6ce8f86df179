// Reading the valve record from the fake 1-Wire bus: good, legacy, erased,
// unreadable and missing chips, and stale devices left on the bus.
#include "EpromRecord.h"
#include "FileIo.h"
#include "LogCapture.h"
#include "ValveFixture.h"

using namespace valvefixture;

class TestEepromRead : public QObject
{
    Q_OBJECT

private slots:
    void init() { reset(); }

    void crcCheckValue() { QCOMPARE(calcCrc(reinterpret_cast<const unsigned char *>("123456789"), 9), 0x29B1); }

    void readsChip_data()
    {
        QTest::addColumn<QByteArray>("chip");
        QTest::addColumn<QString>("result"); // empty: a random count in range
        QTest::addColumn<QByteArray>("chipAfter");
        const QByteArray reset = QByteArray::fromHex("00000000012d01");
        const QByteArray count12345 = QByteArray::fromHex("39300000015689");
        QTest::newRow("reset record") << reset << "0#1#301" << reset;
        QTest::newRow("12345") << count12345 << "12345#1#35158" << count12345;
        QTest::newRow("count 2^31 reads negative") << sim::SimOneWire::recordBytes(0x80000000u, 7)
                                                   << QStringLiteral("-2147483648#7#%1").arg(recordCrc(INT32_MIN, 7))
                                                   << sim::SimOneWire::recordBytes(0x80000000u, 7);
        QTest::newRow("legacy text") << QByteArray("123456#") << "123456#1#20215" << QByteArray::fromHex("40e2010001f74e");
        QTest::newRow("legacy at the limit") << QByteArray("1000000000#")
                                             << QStringLiteral("1000000000#1#%1").arg(recordCrc(1000000000, 1))
                                             << sim::SimOneWire::recordBytes(1000000000u, 1);
        QTest::newRow("erased chip") << QByteArray(128, '\xff') << QString() << QByteArray();
        QTest::newRow("legacy, hash first") << QByteArray("#123456") << QString() << QByteArray();
        QTest::newRow("legacy, not digits") << QByteArray("12a45#") << QString() << QByteArray();
        QTest::newRow("legacy, beyond 32 bits") << QByteArray("99999999999999#") << QString() << QByteArray();
    }

    // A good chip reads as it is; anything else is rewritten once (legacy
    // count or random count) and then read; the mirror follows the chip.
    void readsChip()
    {
        QFETCH(QByteArray, chip);
        QFETCH(QString, result);
        QFETCH(QByteArray, chipAfter);
        bus().putBytes(chip);
        const QString read = FileIo().jetValveReadEPROM();
        const RecordText parsed = RecordText::parse(read);
        QVERIFY2(parsed.intact && parsed.fieldCount == 3, qPrintable(read));
        if (result.isEmpty()) {
            QVERIFY2(parsed.count >= 500000000 && parsed.count <= 600000000, qPrintable(read));
            QCOMPARE(int(parsed.flags), 1);
            chipAfter = sim::SimOneWire::recordBytes(uint32_t(parsed.count), 1);
        } else {
            QCOMPARE(read, result);
        }
        QCOMPARE(chipRecord(), chipAfter);
        QCOMPARE(testroot::readFile(mirrorPath()), read.toLatin1());
    }

    // No chip, or two valves the bus master keeps listing: an empty result
    // and no mirror work at all.
    void unreadableBus_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("slave without eeprom") << "no-eeprom";
        QTest::newRow("no valve fitted") << "no-slave";
        QTest::newRow("two valves listed") << "two-slaves";
    }

    void unreadableBus()
    {
        QFETCH(QString, setup);
        if (setup == QLatin1String("no-eeprom"))
            bus().replaceEeprom(QString());
        else if (setup == QLatin1String("no-slave"))
            bus().removeSlave(slave());
        else
            bus().addSlave(QStringLiteral("2d-0000feedbeef"));
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QString());
        QVERIFY(log.has(QStringLiteral("Could not open file to be read")));
        QVERIFY(!log.texts().join('\n').contains(QLatin1String("epromFromFilesys(")));
        QVERIFY(!QFile::exists(testroot::path(mirrorPath())));
    }

    // A second valve on the bus: the one seen last time is handed to the
    // bus master for removal (by bare name, although the listing holds
    // rooted paths) and the listing is taken again before reading.
    void staleDeviceRemoved()
    {
        const QString fresh = QStringLiteral("2d-0000feedbeef");
        bus().putRecord(111, 1);
        QVERIFY(!FileIo().jetValveReadEPROM().isEmpty());
        bus().addSlave(fresh);
        bus().putRecord(222, 1, fresh);
        LogCapture log;
        log.hook = [](const QString &line) { // stands in for the kernel
            if (line == QLatin1String("a space was found"))
                bus().removeSlave(slave());
        };
        QCOMPARE(FileIo().jetValveReadEPROM(), QStringLiteral("222#1#%1").arg(recordCrc(222, 1)));
        QCOMPARE(bus().removeRequest(), slave().toLatin1() + "\n");
        QVERIFY(log.has(QStringLiteral("wpath: /sys/devices/w1_bus_master1/") + fresh));
        QVERIFY(log.has(QStringLiteral("indexOf space (should be -1): -1")));
    }

    // A chip that never delivers a whole record: each pass stops after five
    // logged retries, and the failed attempts never convert (overwrite) it.
    void readRetriesAreBounded()
    {
        bus().replaceEeprom(QString());
        testroot::writeFile(bus().eepromPath(), QByteArray("\x39\x30\x00", 3));
        LogCapture log;
        QCOMPARE(FileIo().jetValveReadEPROM(), QStringLiteral("0#1#301#0#0#-294967296"));
        QCOMPARE(log.count(QStringLiteral("**Epromfile Read Retry**")), 7 * 2 * 5);
        QCOMPARE(log.count(QStringLiteral("Crc incorrect, calling checkForLegacyEeprom()")), 0);
        QCOMPARE(chipRecord(), QByteArray::fromHex("00000000012d01"));
    }
};

ZUM_TEST_MAIN(TestEepromRead)
#include "tst_eepromread.moc"
