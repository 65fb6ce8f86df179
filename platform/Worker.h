#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <QVariant>

#include <functional>

namespace platform {

// Runs slow work (shell tools, mounts, copies, scans) on a thread of its own so
// that the thread owning the worker never waits for it. Jobs run one at a time
// in the order they were posted, and each result comes back on the owner's
// thread in that same order. The queue is capped rather than unbounded: a post
// beyond `capacity` jobs (the running one included) is refused, so a hung tool
// cannot pile up requests. The thread starts with the first job.
class Worker : public QObject
{
public:
    using Job = std::function<QVariant()>;
    using Done = std::function<void(const QVariant &)>;

    explicit Worker(const QString &name, int capacity, QObject *parent = nullptr);
    // Waits for the running job; jobs still queued are dropped unanswered.
    ~Worker() override;

    // Queues `job`; `done`, if given, gets its result on the owner's thread.
    // False, with nothing queued, when the queue is full.
    bool post(Job job, Done done = Done());

    // Jobs posted and not yet answered; owner's thread only.
    int pending() const { return unanswered; }

private:
    QThread thread;
    QObject runner; // lives on `thread`: the queued jobs are its events
    const int capacity;
    int unanswered = 0;
};

} // namespace platform
