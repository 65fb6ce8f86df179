// The 7-byte valve record: CRC, byte layout, text form and mirror parsing.
#include "EpromRecord.h"
#include "SimOneWire.h"
#include "TestRoot.h"

class TestEpromRecord : public QObject
{
    Q_OBJECT

private slots:
    void crcCheckValue()
    {
        const QByteArray text("123456789");
        QCOMPARE(calcCrc(reinterpret_cast<const unsigned char *>(text.constData()), text.size()), uint16_t(0x29B1));
        QCOMPARE(calcCrc(nullptr, 0), uint16_t(0xFFFF));
    }

    void records_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("reset record") << qint64(0) << 1 << QByteArray::fromHex("00000000012d01") << "0#1#301";
        QTest::newRow("12345") << qint64(12345) << 1 << QByteArray::fromHex("39300000015689") << "12345#1#35158";
        QTest::newRow("legacy 123456") << qint64(123456) << 1 << QByteArray::fromHex("40e2010001f74e")
                                       << "123456#1#20215";
        const QByteArray big = sim::SimOneWire::recordBytes(0x80000000u, 7);
        QTest::newRow("2^31 reads negative")
            << qint64(0x80000000u) << 7 << big
            << QStringLiteral("-2147483648#7#%1").arg(uint8_t(big[5]) | uint8_t(big[6]) << 8);
        const QByteArray top = sim::SimOneWire::recordBytes(0xFFFFFFFFu, 255);
        QTest::newRow("all ones reads -1")
            << qint64(0xFFFFFFFFu) << 255 << top
            << QStringLiteral("-1#255#%1").arg(uint8_t(top[5]) | uint8_t(top[6]) << 8);
    }

    // Encoding, decoding and the simulator's independent encoder agree.
    void records()
    {
        QFETCH(qint64, count);
        QFETCH(int, flags);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);

        const EpromRecord made = EpromRecord::make(static_cast<int32_t>(count), static_cast<uint8_t>(flags));
        QCOMPARE(made.toBytes(), bytes);
        QCOMPARE(made.text(), text);
        QCOMPARE(sim::SimOneWire::recordBytes(static_cast<uint32_t>(count), static_cast<uint8_t>(flags)), bytes);

        const EpromRecord decoded = EpromRecord::fromBytes(reinterpret_cast<const unsigned char *>(bytes.constData()));
        QVERIFY(decoded.crcValid());
        QCOMPARE(decoded.text(), text);
        QCOMPARE(qint64(uint32_t(decoded.cycleCount)), count);

        const RecordText parsed = RecordText::parse(text);
        QVERIFY(parsed.intact);
        QCOMPARE(parsed.count, decoded.signedCount());
        QCOMPARE(int(parsed.flags), flags);
    }

    void corruptBytesFailCrc()
    {
        QByteArray bytes = QByteArray::fromHex("39300000015689");
        for (int i = 0; i < bytes.size(); ++i) {
            QByteArray flipped = bytes;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x10);
            const auto *raw = reinterpret_cast<const unsigned char *>(flipped.constData());
            QVERIFY2(!EpromRecord::fromBytes(raw).crcValid(), qPrintable(QString::number(i)));
        }
        QVERIFY(!EpromRecord::fromBytes(reinterpret_cast<const unsigned char *>("\0\0\0\0\0\0\0")).crcValid());
        QVERIFY(!EpromRecord::fromBytes(reinterpret_cast<const unsigned char *>("\xff\xff\xff\xff\xff\xff\xff"))
                     .crcValid());
    }

    void mirrorText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("intact");
        QTest::newRow("good") << "12345#1#35158" << 3 << true;
        QTest::newRow("extra fields kept") << "0#1#301#0#0#-294967296" << 6 << true;
        QTest::newRow("trailing newline") << "0#1#301\n" << 3 << true;
        QTest::newRow("wrong crc") << "12345#1#35159" << 3 << false;
        QTest::newRow("two fields") << "12345#1" << 2 << false;
        QTest::newRow("empty") << "" << 1 << false;
        QTest::newRow("garbage count posing as 0") << "abc#1#301" << 3 << false;
        QTest::newRow("flags beyond a byte") << QStringLiteral("0#257#301") << 3 << false;
        QTest::newRow("negative count") << QStringLiteral("-1#255#%1").arg(recordCrc(-1, 255)) << 3 << true;
    }

    void mirrorText()
    {
        QFETCH(QString, text);
        QFETCH(int, fields);
        QFETCH(bool, intact);
        const RecordText parsed = RecordText::parse(text);
        QCOMPARE(parsed.fieldCount, fields);
        QCOMPARE(parsed.intact, intact);
    }
};

ZUM_TEST_MAIN(TestEpromRecord)
#include "tst_epromrecord.moc"
