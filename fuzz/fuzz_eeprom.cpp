// What the valve chip and its file mirror hold: the 7-byte record, its text
// form as the mirror keeps it, and the text an old chip kept. Checks: bytes
// and text round-trip; only a matching CRC makes a record intact; a legacy
// count is exactly the digits before the "#".
#include "EpromLegacyText.h"
#include "EpromRecord.h"
#include "FuzzSupport.h"

#include <cstring>

ZUM_FUZZ_PLAIN_SET_UP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    using fuzzsupport::fail;

    if (size >= size_t(EpromRecord::size)) {
        const EpromRecord record = EpromRecord::fromBytes(data);
        if (record.toBytes() != input.left(EpromRecord::size))
            fail(QStringLiteral("record bytes do not round-trip"), input);
        const RecordText text = RecordText::parse(record.text());
        if (text.fieldCount != 3 || text.intact != record.crcValid()
            || (text.intact && (text.count != record.signedCount() || text.flags != record.flags)))
            fail(QStringLiteral("record text does not read back as the record"), input);
        if (!EpromRecord::make(record.signedCount(), record.flags).crcValid())
            fail(QStringLiteral("a made record has a bad CRC"), input);
        fuzzsupport::feature(uint32_t(record.crcValid()));
    }

    // The mirror file's text.
    const RecordText mirror = RecordText::parse(QString::fromUtf8(input));
    if (mirror.intact) {
        const EpromRecord remade = EpromRecord::make(mirror.count, mirror.flags);
        const RecordText again = RecordText::parse(remade.text());
        if (!again.intact || again.count != mirror.count || again.flags != mirror.flags)
            fail(QStringLiteral("an intact mirror text does not survive a rewrite"), input);
    }
    fuzzsupport::feature(uint32_t(mirror.fieldCount < 5 ? mirror.fieldCount : 5) * 2u + uint32_t(mirror.intact) + 100u);

    // An old chip's text: the chip read gives at most 128 bytes.
    const int length = int(size < 128 ? size : 128);
    const EpromLegacyText legacy = EpromLegacyText::parse(data, length);
    const void *hash = std::memchr(data, '#', size_t(length));
    const int hashAt = hash ? int(static_cast<const uint8_t *>(hash) - data) : -1;
    if (legacy.hashAt != hashAt)
        fail(QStringLiteral("legacy text: wrong \"#\" position"), input);
    if (legacy.kind == EpromLegacyText::Kind::Count) {
        const QByteArray digits = input.left(hashAt);
        bool ok = false;
        const qlonglong value = digits.toLongLong(&ok);
        if (!ok || value != legacy.count || legacy.count < 0 || digits.contains('+') || digits.contains(' '))
            fail(QStringLiteral("legacy count is not the digits before \"#\""), input);
    }
    fuzzsupport::feature(uint32_t(legacy.kind) + 200u);
    return 0;
}
