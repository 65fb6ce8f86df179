// A program or driver module on the update stick: whatever its header
// tables claim, the check reads only inside the file, and it accepts only a
// 32-bit little-endian ARM file of the asked kind.
#include "ElfCheck.h"
#include "FuzzSupport.h"

#include <QBuffer>

ZUM_FUZZ_PLAIN_SET_UP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), int(size));
    QBuffer file(&input);
    file.open(QIODevice::ReadOnly);
    for (const auto kind : {elfcheck::Kind::Program, elfcheck::Kind::KernelModule}) {
        const QString why = elfcheck::refusal(file, kind);
        fuzzsupport::feature(why.left(24));
        if (!why.isEmpty())
            continue;
        const int type = size >= 52 ? uchar(data[16]) | uchar(data[17]) << 8 : -1;
        const bool typeFits = kind == elfcheck::Kind::Program ? type == 2 || type == 3 : type == 1;
        if (!input.startsWith("\x7f" "ELF\x01\x01\x01") || uchar(data[18]) != 40 || data[19] != 0 || !typeFits)
            fuzzsupport::fail(QStringLiteral("accepted a file that is not an ARM file of that kind"), input);
    }
    return 0;
}
