#pragma once

#include <QString>

class QIODevice;

// Tells whether a file from the update stick can run on the board before it
// replaces anything: a wrong or cut file installed as the program leaves a
// console that cannot start, and so cannot take the next update either.
// The file is untrusted; every offset and size in it is checked against the
// file's length before it is used, and only the header tables are read.
namespace elfcheck {

enum class Kind {
    Program,      // 32-bit little-endian ARM executable, fixed or position-independent
    KernelModule, // 32-bit little-endian ARM relocatable object with a ".modinfo" section
};

// Why the file on `device` (open for reading, random access) is not a
// complete file of that kind for the board; empty when it is one.
QString refusal(QIODevice &device, Kind kind);

// The same for a file on disk, by its real path.
QString refusalForFile(const QString &realPath, Kind kind);

} // namespace elfcheck
