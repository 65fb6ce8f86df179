#include "MemoryOp.h"

#include "Platform.h"

#include <QDebug>
#include <QSaveFile>
#include <QStringList>

#include <mutex>

namespace {

std::mutex queueLock; // std::mutex: visible to ThreadSanitizer
QStringList pendingWrites;
std::atomic<int> pollPauseMs{5000};
std::atomic<int> writePauseMs{1000};
constexpr int maxQueued = 6;

} // namespace

const char *const MemoryOp::separator = "#_ZUM_#";

MemoryOp::MemoryOp(QObject *parent)
    : QThread(parent)
{
}

MemoryOp::~MemoryOp()
{
    stopRequested = true;
    wait();
    runsEnded.load(std::memory_order_acquire);
}

bool MemoryOp::appendToQueue(QString name, QString contents)
{
    const QLatin1String sep(separator);
    if (name.contains(sep) || contents.contains(sep)) {
        qDebug() << "MemoryOp: refusing to queue" << name << "- name or contents hold" << sep;
        return false;
    }
    std::lock_guard<std::mutex> lock(queueLock);
    while (pendingWrites.size() > maxQueued - 1)
        pendingWrites.removeFirst();
    pendingWrites.append(name + sep + contents);
    return true;
}

QStringList MemoryOp::pendingEntries()
{
    std::lock_guard<std::mutex> lock(queueLock);
    return pendingWrites;
}

void MemoryOp::clearQueue()
{
    std::lock_guard<std::mutex> lock(queueLock);
    pendingWrites.clear();
}

void MemoryOp::setPauses(int pollMs, int beforeWriteMs)
{
    pollPauseMs = pollMs;
    writePauseMs = beforeWriteMs;
}

bool MemoryOp::writeFileAtomically(const QString &name, const QString &contents)
{
    const QByteArray bytes = contents.toLatin1();
    if (bytes.isEmpty())
        return false;
    std::shared_lock<std::shared_timed_mutex> saving(saveLock());
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::shared_timed_mutex &MemoryOp::saveLock()
{
    static std::shared_timed_mutex lock;
    return lock;
}

// Sleeps in short steps so that a stop request cuts the pause short.
void MemoryOp::pause(int ms)
{
    constexpr int step = 20;
    for (int slept = 0; slept < ms && !stopRequested; slept += step)
        msleep(static_cast<unsigned long>(qMin(step, ms - slept)));
}

void MemoryOp::run()
{
    runsEnded.load(std::memory_order_acquire);
    while (!stopRequested) {
        // A stop that arrives during this pause still lets one queued entry
        // be written, as a caller that queued before quitting expects.
        pause(pollPauseMs);
        QString entry;
        {
            std::lock_guard<std::mutex> lock(queueLock);
            if (pendingWrites.isEmpty())
                continue;
            entry = pendingWrites.takeFirst();
        }
        const int cut = entry.indexOf(QLatin1String(separator));
        const QString name = entry.left(cut);
        const QString contents = entry.mid(cut + int(qstrlen(separator)));
        pause(writePauseMs);
        writeFileAtomically(platform::sysPath(name), contents);
    }
    runsEnded.fetch_add(1, std::memory_order_release);
}
