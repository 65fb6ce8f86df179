#pragma once

#include <cstdint>

// The count an old valve chip kept as text: decimal digits up to the first
// "#" (the rest of the chip is not read).
struct EpromLegacyText
{
    enum class Kind {
        NoCount,   // no "#", or nothing before it
        NotACount, // something other than digits before it, or a count past 2^31-1
        Count,
    };

    Kind kind = Kind::NoCount;
    int hashAt = -1; // where the first "#" is, -1 without one
    int32_t count = 0;

    static EpromLegacyText parse(const unsigned char *bytes, int length);
};
