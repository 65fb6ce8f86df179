// Write queue, profile backup and recovery of FileIo.
#include "FileIo.h"

#include "Platform.h"

#include <QDebug>

#include <chrono>
#include <mutex>

namespace {
// How long a clean-up waits for saves in flight (small files: milliseconds).
constexpr int recoverWaitMs = 1000;
} // namespace

void FileIo::queueToWrite(QString name, QString contents)
{
    memoryOp.appendToQueue(name, contents);
}

void FileIo::startMemThread()
{
    memoryOp.start(QThread::InheritPriority);
}

void FileIo::writeBKProfile(QString name)
{
    const QString file = platform::shellPath(name);
    const QString backup = platform::shellPath(name + QStringLiteral("_BKUP"));
    runSystemCmd(QStringLiteral("cp -f %1 %2").arg(file, backup));
}

// Restores a file from the temporary file an interrupted atomic write left
// beside it, then clears every such leftover in the data folder. Saves run
// on other threads too (remote link, write queue): both steps wait for the
// saves in flight, and give up rather than hold the caller for long.
void FileIo::recoverFile(QString name)
{
    std::unique_lock<std::shared_timed_mutex> noSaves(MemoryOp::saveLock(), std::chrono::milliseconds(recoverWaitMs));
    if (!noSaves.owns_lock()) {
        qWarning() << "recoverFile: saves still in progress; nothing recovered from leftovers of" << name;
        return;
    }
    const QString file = platform::shellPath(name);
    runSystemCmd(QStringLiteral("cp -f %1.* %1").arg(file));
    runSystemCmd(QStringLiteral("rm -f /media/data/*.*.*"));
}
