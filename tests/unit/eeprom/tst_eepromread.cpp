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
        const QByteArray count12345 = QByteArray::fromHex("39300000015689");
        const QByteArray top = sim::SimOneWire::recordBytes(INT32_MAX, 1);
        QTest::newRow("12345") << count12345 << "12345#1#35158" << count12345;
        QTest::newRow("count 2^31 reads negative") << sim::SimOneWire::recordBytes(0x80000000u, 7)
                                                   << QStringLiteral("-2147483648#7#%1").arg(recordCrc(INT32_MIN, 7))
                                                   << sim::SimOneWire::recordBytes(0x80000000u, 7);
        QTest::newRow("legacy text") << QByteArray("123456#") << "123456#1#20215" << QByteArray::fromHex("40e2010001f74e");
        QTest::newRow("legacy 2^31-1") << QByteArray("2147483647#")
                                       << QStringLiteral("2147483647#1#%1").arg(recordCrc(INT32_MAX, 1)) << top;
        QTest::newRow("erased chip") << QByteArray(128, '\xff') << QString() << QByteArray();
        QTest::newRow("legacy, hash first") << QByteArray("#123456") << QString() << QByteArray();
        QTest::newRow("legacy, not digits") << QByteArray("12a45#") << QString() << QByteArray();
        QTest::newRow("legacy 2^31") << QByteArray("2147483648#") << QString() << QByteArray();
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
        const QByteArray mirror("12345#1#35158");
        testroot::writeFile(mirrorPath(), mirror);
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
        QVERIFY(!log.texts().join('\n').contains(QLatin1String("epromFromFilesys(")));
        QCOMPARE(chipRecord(), chip);
        QCOMPARE(testroot::readFile(mirrorPath()), mirror);
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
};

ZUM_TEST_MAIN(TestEepromRead)
#include "tst_eepromread.moc"
