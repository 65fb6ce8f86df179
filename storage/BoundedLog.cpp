#include "BoundedLog.h"

#include "MemoryOp.h"
#include "Platform.h"

#include <QFile>

#include <mutex>

namespace {

// Appends and trims of the same process never interleave.
std::mutex logLock;

// The newer part of `bytes`, at most half of `limit`, starting where an
// entry starts (the second line feed of an empty line); the newest entry
// alone when no entry starts there.
QByteArray newerHalf(const QByteArray &bytes, const QByteArray &newest, qint64 limit)
{
    const int from = int(qMax<qint64>(0, bytes.size() - limit / 2));
    const int gap = bytes.indexOf("\n\n", from);
    if (gap >= 0 && gap + 1 < bytes.size())
        return bytes.mid(gap + 1);
    return newest.right(int(limit / 2));
}

} // namespace

bool BoundedLog::append(const QString &name, const QString &entry, qint64 limit)
{
    const QString path = platform::sysPath(name);
    const QByteArray bytes = entry.toLatin1();
    std::lock_guard<std::mutex> locker(logLock);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    const qint64 size = file.size();
    file.close();
    if (size <= limit)
        return written;
    // Rare (once per half a limit of entries): the log is read back whole
    // and replaced by its newer half.
    if (!file.open(QIODevice::ReadOnly))
        return written;
    const QByteArray kept = newerHalf(file.readAll(), bytes, limit);
    file.close();
    return MemoryOp::writeFileAtomically(path, QString::fromLatin1(kept)) && written;
}
