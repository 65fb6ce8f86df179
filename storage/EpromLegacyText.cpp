#include "EpromLegacyText.h"

#include <cstdint>
#include <cstring>

EpromLegacyText EpromLegacyText::parse(const unsigned char *bytes, int length)
{
    EpromLegacyText parsed;
    const void *hash = length > 0 ? std::memchr(bytes, '#', static_cast<size_t>(length)) : nullptr;
    if (!hash)
        return parsed;
    parsed.hashAt = static_cast<int>(static_cast<const unsigned char *>(hash) - bytes);
    if (parsed.hashAt == 0)
        return parsed;
    // Digits only, and every count the signed 32-bit field can hold.
    long long value = 0;
    for (int i = 0; i < parsed.hashAt; ++i) {
        const unsigned char c = bytes[i];
        if (c < '0' || c > '9' || value * 10 + (c - '0') > INT32_MAX) {
            parsed.kind = Kind::NotACount;
            return parsed;
        }
        value = value * 10 + (c - '0');
    }
    parsed.kind = Kind::Count;
    parsed.count = static_cast<int32_t>(value);
    return parsed;
}
