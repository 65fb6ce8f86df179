#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The valve's identity record as it sits at offset 0 of the 1-Wire EEPROM:
// cycle count (u32 LE), flags (u8), CRC of those five bytes (u16 LE).
struct EpromRecord
{
    static constexpr int size = 7;

    uint32_t cycleCount = 0;
    uint8_t flags = 0;
    uint16_t crc = 0;

    // A record whose CRC matches its count and flags.
    static EpromRecord make(int32_t count, uint8_t flags);
    // Decodes the first seven bytes; `bytes` must hold at least that many.
    static EpromRecord fromBytes(const unsigned char *bytes);

    QByteArray toBytes() const;
    // CRC computed over the stored count and flags.
    uint16_t expectedCrc() const;
    bool crcValid() const { return crc == expectedCrc(); }

    // The count as the rest of the system sees it: signed 32-bit.
    int32_t signedCount() const { return static_cast<int32_t>(cycleCount); }

    // "count#flags#crc", count signed, flags and CRC unsigned.
    QString text() const;
};

// CRC-16/CCITT-FALSE: poly 0x1021, init 0xFFFF, no reflection, no final XOR.
uint16_t calcCrc(const unsigned char *bytes, int length);

// CRC of a count and flags laid out as the chip stores them.
uint16_t recordCrc(int32_t count, uint8_t flags);

// A record's text form split apart. `intact` means three or more fields,
// the first three all decimal numbers, and the CRC matching count and flags
// (flags taken as their low byte).
struct RecordText
{
    int fieldCount = 0;
    bool intact = false;
    int32_t count = 0;
    uint8_t flags = 0;

    static RecordText parse(const QString &text);
};
