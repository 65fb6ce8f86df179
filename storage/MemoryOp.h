#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <shared_mutex>

// Background writer: takes whole-file writes from one process-wide queue and
// performs them one at a time, paced so the file system sees at most one
// write every few seconds.
class MemoryOp : public QThread
{
    Q_OBJECT

public:
    static const char *const separator; // "#_ZUM_#"

    explicit MemoryOp(QObject *parent = nullptr);
    ~MemoryOp() override;

    // Queues one write; the queue keeps the newest six entries. Refuses
    // (and returns false for) names or contents holding the separator.
    bool appendToQueue(QString name, QString contents);

    // Entries waiting in the process-wide queue, oldest first (for tests).
    static QStringList pendingEntries();
    static void clearQueue();

    // Pauses of the writer loop; tests may shorten them.
    static void setPauses(int pollMs, int beforeWriteMs);

    // Atomic whole-file replace in Latin-1; true when at least one byte was
    // written and the new content committed. An existing file is never
    // touched unless the new content commits.
    static bool writeFileAtomically(const QString &name, const QString &contents);

    // Held shared by every atomic save while its temporary file exists, on
    // any thread; the clean-up of temporary files left by interrupted saves
    // takes it alone, so it never removes the file of a save in flight.
    static std::shared_timed_mutex &saveLock();

protected:
    void run() override;

private:
    void pause(int ms);

    std::atomic<bool> stopRequested{false};
    // QThread::wait() synchronises inside Qt, out of ThreadSanitizer's sight;
    // each run's end is released here and acquired by whoever comes next (a
    // restarted run, or the destructor after the join).
    std::atomic<unsigned> runsEnded{0};
};
