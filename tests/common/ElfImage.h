#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtEndian>

// Small but complete 32-bit little-endian ARM ELF files for the update
// tests, and the header fields they tamper with.
namespace elfimage {

enum Field { Class = 4, Type = 16, Machine = 18, ProgramOffset = 28, SectionOffset = 32, ProgramCount = 44,
             SectionCount = 48, NamesIndex = 50 };
enum : quint16 { Relocatable = 1, Executable = 2, Shared = 3 };

inline void put16(QByteArray &b, int at, quint32 v) { qToLittleEndian<quint16>(quint16(v), b.data() + at); }
inline void put32(QByteArray &b, int at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); }
inline quint32 get32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }

// Header; for a program an interpreter and a loadable segment; the sections'
// contents; their name table; the section header table last, as linkers lay
// a file out.
inline QByteArray make(quint16 type, QList<QPair<QByteArray, QByteArray>> sections)
{
    const bool program = type != Relocatable;
    const QByteArray interpreter("/lib/ld-linux-armhf.so.3\0", 25);
    if (program)
        sections.prepend({".interp", interpreter});
    QByteArray names(1, '\0');
    QByteArray image(52 + (program ? 64 : 0), '\0');
    QList<quint32> at, nameAt;
    for (const auto &s : sections) {
        at.append(quint32(image.size()));
        nameAt.append(quint32(names.size()));
        image += s.second;
        names += s.first + '\0';
    }
    const quint32 namesAt = quint32(image.size());
    nameAt.append(quint32(names.size()));
    names += QByteArray(".shstrtab\0", 10);
    image += names;
    image += QByteArray((4 - image.size() % 4) % 4, '\0');
    const int table = image.size();
    image += QByteArray(40 * (sections.size() + 2), '\0');
    for (int i = 0; i <= sections.size(); ++i) {
        const int h = table + 40 * (i + 1);
        const bool last = i == sections.size();
        put32(image, h, nameAt[i]);
        put32(image, h + 4, last ? 3 : 1); // string table or program bits
        put32(image, h + 16, last ? namesAt : at[i]);
        put32(image, h + 20, quint32(last ? names.size() : sections[i].second.size()));
    }
    image.replace(0, 7, QByteArray("\x7f" "ELF\x01\x01\x01", 7));
    put16(image, Type, type);
    put16(image, Machine, 40);
    put32(image, 20, 1);
    if (program) {
        put32(image, 24, 0x10000); // entry
        put32(image, ProgramOffset, 52);
        put16(image, 42, 32);
        put16(image, ProgramCount, 2);
        put32(image, 52, 3); // interpreter
        put32(image, 52 + 4, at[0]);
        put32(image, 52 + 16, quint32(interpreter.size()));
        put32(image, 52 + 20, quint32(interpreter.size()));
        put32(image, 84, 1); // loadable, from the start to the name table
        put32(image, 84 + 16, namesAt);
        put32(image, 84 + 20, namesAt);
    }
    put32(image, SectionOffset, quint32(table));
    put16(image, 40, 52);
    put16(image, 46, 40);
    put16(image, SectionCount, sections.size() + 2);
    put16(image, NamesIndex, sections.size() + 1);
    return image;
}

inline QByteArray program(quint16 type = Shared)
{
    return make(type, {{".text", QByteArray(256, '\xe1')}});
}

inline QByteArray module()
{
    return make(Relocatable, {{".text", QByteArray(128, '\xe1')}, {".modinfo", "license=GPL"}});
}

} // namespace elfimage
