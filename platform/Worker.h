#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// Runs slow work (shell tools, mounts, copies, scans) on a thread of its own so
// that the thread owning the worker never waits for it. Jobs run one at a time
// in the order they were posted, and each result comes back on the owner's
// thread in that same order. The queue is capped rather than unbounded: a post
// beyond `capacity` jobs (the running one included) is refused, so a hung tool
// cannot pile up requests. The thread starts with the first job.
//
// At start-up the console holds every worker until its window has drawn the
// first frame: the tools the start-up asks for would otherwise compete with
// that frame for the processor. Jobs are taken meanwhile and run, in order,
// once the workers are released.
class Worker : public QObject
{
    Q_OBJECT

public:
    using Job = std::function<QVariant()>;
    using Done = std::function<void(const QVariant &)>;

    Worker(const QString &name, int capacity, QObject *parent = nullptr);
    // Waits for the running job; jobs still queued are dropped unanswered.
    ~Worker() override;

    // Queues `job`; `done`, if given, gets its result on the owner's thread.
    // False, with nothing queued, when the queue is full.
    bool post(Job job, Done done = Done());

    // Jobs posted and not yet answered; owner's thread only.
    int pending() const { return int(waiting.size()); }

    // Every worker, existing or yet to be made, holds its jobs from hold()
    // until release(). Either may be called from any thread.
    static void hold();
    static void release();

private:
    Q_INVOKABLE void deliver();
    void run();

    const QString name;
    const int capacity;
    std::deque<Done> waiting; // owner's thread only: one per job not yet answered, in order

    // Jobs go to the thread and results come back under this lock; the owner
    // is woken for the results by a queued call of deliver().
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Job> jobs;
    std::deque<QVariant> results;
    bool stopping = false; // written under `lock` and the hold's lock, read under either
    std::thread thread;
};

} // namespace platform
