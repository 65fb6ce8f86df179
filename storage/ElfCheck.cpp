#include "ElfCheck.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

namespace elfcheck {
namespace {

// Sizes and codes of the 32-bit ELF format.
constexpr quint64 headerSize = 52;
constexpr quint64 programHeaderSize = 32;
constexpr quint64 sectionHeaderSize = 40;
constexpr quint16 typeRelocatable = 1;
constexpr quint16 typeExecutable = 2;
constexpr quint16 typeShared = 3;
constexpr quint16 machineArm = 40;
constexpr quint32 segmentInterpreter = 3;
constexpr quint32 sectionStrings = 3;
constexpr quint32 sectionNoBits = 8;
// Far more than the header tables of any real program or module; keeps a
// hostile name table from taking the board's memory.
constexpr quint64 largestStringTable = 1 << 20;

quint32 le16(const QByteArray &bytes, quint64 at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 le32(const QByteArray &bytes, quint64 at)
{
    return le16(bytes, at) | le16(bytes, at + 2) << 16;
}

// The file's bytes [offset, offset + length); false when the file does not
// hold them all. Offsets and lengths come from the file: 64-bit arithmetic,
// so no sum of two 32-bit fields can wrap.
bool readAt(QIODevice &device, quint64 fileSize, quint64 offset, quint64 length, QByteArray *out)
{
    if (offset > fileSize || length > fileSize - offset)
        return false;
    if (!device.seek(qint64(offset)))
        return false;
    *out = device.read(qint64(length));
    return quint64(out->size()) == length;
}

// A header table of `count` entries at `offset`: entries of the size the
// format sets, wholly inside the file. Empty, or why not.
QString readTable(QIODevice &device, quint64 fileSize, quint64 offset, quint64 count, quint64 entrySize,
                  quint64 formatSize, const char *what, QByteArray *out)
{
    if (entrySize != formatSize)
        return QStringLiteral("unexpected %1 header size %2").arg(QLatin1String(what)).arg(entrySize);
    if (!readAt(device, fileSize, offset, count * entrySize, out))
        return QStringLiteral("%1 header table past the end of the file (cut short?)").arg(QLatin1String(what));
    return {};
}

struct Header
{
    quint32 type = 0, machine = 0, version = 0, entry = 0;
    quint32 programOffset = 0, sectionOffset = 0;
    quint32 headerSize = 0, programEntrySize = 0, programCount = 0;
    quint32 sectionEntrySize = 0, sectionCount = 0, namesIndex = 0;
};

Header parseHeader(const QByteArray &h)
{
    Header header;
    header.type = le16(h, 16);
    header.machine = le16(h, 18);
    header.version = le32(h, 20);
    header.entry = le32(h, 24);
    header.programOffset = le32(h, 28);
    header.sectionOffset = le32(h, 32);
    header.headerSize = le16(h, 40);
    header.programEntrySize = le16(h, 42);
    header.programCount = le16(h, 44);
    header.sectionEntrySize = le16(h, 46);
    header.sectionCount = le16(h, 48);
    header.namesIndex = le16(h, 50);
    return header;
}

QString checkIdentity(const QByteArray &h, const Header &header)
{
    if (!h.startsWith("\x7f" "ELF"))
        return QStringLiteral("not an ELF file");
    if (h.at(4) != 1)
        return QStringLiteral("not a 32-bit ELF file");
    if (h.at(5) != 1)
        return QStringLiteral("not little-endian");
    if (h.at(6) != 1 || header.version != 1 || header.headerSize != headerSize)
        return QStringLiteral("not a version 1 ELF header");
    if (header.machine != machineArm)
        return QStringLiteral("built for machine %1, not ARM").arg(header.machine);
    return {};
}

// Every segment the program header table names must be inside the file: a
// cut program fails here even when its tables survived.
QString checkSegments(QIODevice &device, quint64 size, const Header &header, bool *hasInterpreter)
{
    *hasInterpreter = false;
    if (header.programCount == 0)
        return {};
    QByteArray table;
    const QString why = readTable(device, size, header.programOffset, header.programCount, header.programEntrySize,
                                  programHeaderSize, "program", &table);
    if (!why.isEmpty())
        return why;
    for (quint64 i = 0; i < header.programCount; ++i) {
        const quint64 at = i * programHeaderSize;
        const quint64 end = quint64(le32(table, at + 4)) + le32(table, at + 16);
        if (end > size)
            return QStringLiteral("segment %1 past the end of the file (cut short?)").arg(i);
        if (le32(table, at) == segmentInterpreter)
            *hasInterpreter = true;
    }
    return {};
}

// Every section with contents must be inside the file; `names` receives
// each section's name (empty without a readable name table).
QString checkSections(QIODevice &device, quint64 size, const Header &header, QList<QByteArray> *names,
                      QList<quint32> *types)
{
    if (header.sectionCount == 0) {
        // No table at all, or the extended numbering no program of ours needs.
        return header.sectionOffset == 0 ? QString() : QStringLiteral("unexpected extended section numbering");
    }
    QByteArray table;
    const QString why = readTable(device, size, header.sectionOffset, header.sectionCount, header.sectionEntrySize,
                                  sectionHeaderSize, "section", &table);
    if (!why.isEmpty())
        return why;
    for (quint64 i = 0; i < header.sectionCount; ++i) {
        const quint64 at = i * sectionHeaderSize;
        const quint32 type = le32(table, at + 4);
        const quint64 end = quint64(le32(table, at + 16)) + le32(table, at + 20);
        if (type != sectionNoBits && end > size)
            return QStringLiteral("section %1 past the end of the file").arg(i);
        types->append(type);
    }

    if (header.namesIndex == 0 || header.namesIndex >= header.sectionCount)
        return {};
    const quint64 namesAt = header.namesIndex * sectionHeaderSize;
    if (types->at(int(header.namesIndex)) != sectionStrings)
        return QStringLiteral("section name table is not a string table");
    const quint64 namesSize = le32(table, namesAt + 20);
    if (namesSize > largestStringTable)
        return QStringLiteral("section name table of %1 bytes").arg(namesSize);
    QByteArray strings;
    if (!readAt(device, size, le32(table, namesAt + 16), namesSize, &strings))
        return QStringLiteral("section name table past the end of the file");
    for (quint64 i = 0; i < header.sectionCount; ++i) {
        const quint32 offset = le32(table, i * sectionHeaderSize);
        const int nul = offset < namesSize ? strings.indexOf('\0', int(offset)) : -1;
        if (nul < 0)
            return QStringLiteral("name of section %1 outside the name table").arg(i);
        names->append(strings.mid(int(offset), nul - int(offset)));
    }
    return {};
}

} // namespace

QString refusal(QIODevice &device, Kind kind)
{
    if (!device.isOpen() || device.isSequential())
        return QStringLiteral("cannot be read");
    const quint64 size = quint64(device.size());
    QByteArray bytes;
    if (!readAt(device, size, 0, headerSize, &bytes))
        return QStringLiteral("shorter than an ELF header");
    const Header header = parseHeader(bytes);
    QString why = checkIdentity(bytes, header);
    if (!why.isEmpty())
        return why;

    if (kind == Kind::Program) {
        if (header.type != typeExecutable && header.type != typeShared)
            return QStringLiteral("not an executable (ELF type %1)").arg(header.type);
        if (header.programCount == 0 || header.entry == 0)
            return QStringLiteral("no program headers or no entry point");
    } else if (header.type != typeRelocatable) {
        return QStringLiteral("not a kernel module (ELF type %1)").arg(header.type);
    }

    bool hasInterpreter = false;
    why = checkSegments(device, size, header, &hasInterpreter);
    if (!why.isEmpty())
        return why;
    // A position-independent executable is ELF type "shared" too; only the
    // interpreter it asks for tells it from a library.
    if (kind == Kind::Program && header.type == typeShared && !hasInterpreter)
        return QStringLiteral("a shared library, not a program");

    QList<QByteArray> names;
    QList<quint32> types;
    why = checkSections(device, size, header, &names, &types);
    if (!why.isEmpty())
        return why;
    if (kind == Kind::KernelModule) {
        const int modinfo = names.indexOf(QByteArrayLiteral(".modinfo"));
        if (modinfo < 0 || types.at(modinfo) == sectionNoBits)
            return QStringLiteral("no \".modinfo\" section: not a kernel module");
    }
    return {};
}

QString refusalForFile(const QString &realPath, Kind kind)
{
    QFile file(realPath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read");
    return refusal(file, kind);
}

} // namespace elfcheck
