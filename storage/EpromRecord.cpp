#include "EpromRecord.h"

#include <QStringList>

uint16_t calcCrc(const unsigned char *bytes, int length)
{
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= static_cast<uint16_t>(bytes[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

uint16_t recordCrc(int32_t count, uint8_t flags)
{
    const uint32_t raw = static_cast<uint32_t>(count);
    const unsigned char bytes[5] = {
        static_cast<unsigned char>(raw), static_cast<unsigned char>(raw >> 8),
        static_cast<unsigned char>(raw >> 16), static_cast<unsigned char>(raw >> 24), flags,
    };
    return calcCrc(bytes, 5);
}

EpromRecord EpromRecord::make(int32_t count, uint8_t flags)
{
    EpromRecord record;
    record.cycleCount = static_cast<uint32_t>(count);
    record.flags = flags;
    record.crc = recordCrc(count, flags);
    return record;
}

EpromRecord EpromRecord::fromBytes(const unsigned char *bytes)
{
    EpromRecord record;
    record.cycleCount = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16
                        | uint32_t(bytes[3]) << 24;
    record.flags = bytes[4];
    record.crc = static_cast<uint16_t>(bytes[5] | bytes[6] << 8);
    return record;
}

QByteArray EpromRecord::toBytes() const
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(cycleCount >> (8 * i));
    bytes[4] = static_cast<char>(flags);
    bytes[5] = static_cast<char>(crc & 0xFF);
    bytes[6] = static_cast<char>(crc >> 8);
    return bytes;
}

uint16_t EpromRecord::expectedCrc() const
{
    return recordCrc(signedCount(), flags);
}

QString EpromRecord::text() const
{
    return QString::number(signedCount()) + QLatin1Char('#') + QString::number(flags) + QLatin1Char('#')
           + QString::number(crc);
}

RecordText RecordText::parse(const QString &text)
{
    RecordText parsed;
    const QStringList fields = text.split(QLatin1Char('#'));
    parsed.fieldCount = fields.size();
    if (fields.size() < 3)
        return parsed;
    bool countOk = false, flagsOk = false, crcOk = false;
    const int count = fields.at(0).toInt(&countOk);
    const int flags = fields.at(1).toInt(&flagsOk);
    const int crc = fields.at(2).toInt(&crcOk);
    parsed.count = count;
    parsed.flags = static_cast<uint8_t>(flags);
    // A field that is not a number would otherwise read as 0 and could make
    // garbage look like a valid record of count 0. Flags are reduced to a
    // byte as the chip record keeps them: older versions wrote them whole.
    parsed.intact = countOk && flagsOk && crcOk && crc == recordCrc(count, parsed.flags);
    return parsed;
}
