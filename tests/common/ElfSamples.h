#pragma once

#include <QByteArray>
#include <QFile>
#include <QtEndian>

// Small ARM files linked by clang and lld, the update check's fuzz seeds:
// "program-pie", "program-fixed" and "module" (a driver), and the offsets
// of the header fields the update tests tamper with.
namespace elfsample {

enum Field { Machine = 18, ProgramOffset = 28, SectionOffset = 32, SectionCount = 48, NamesIndex = 50 };

inline QByteArray read(const char *name)
{
    QFile file(QStringLiteral(ZUM_ELF_SAMPLES "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file with the little-endian field of `width` bytes at `at` set.
inline QByteArray patched(QByteArray file, int at, quint32 value, int width = 4)
{
    for (int i = 0; i < width; ++i)
        file[at + i] = char(value >> (8 * i));
    return file;
}

inline int get32(const QByteArray &file, int at) { return int(qFromLittleEndian<quint32>(file.constData() + at)); }
inline int get16(const QByteArray &file, int at) { return qFromLittleEndian<quint16>(file.constData() + at); }

} // namespace elfsample
