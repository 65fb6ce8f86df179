#include "Worker.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcWorker, "zum.platform.worker")

namespace platform {

namespace {

// The hold of every worker: a worker waits on `released` before each job
// while `held` is set. A worker being destroyed is woken through the same
// lock, so that it never waits for a release that does not come.
std::mutex holdLock;
std::condition_variable released;
bool held = false;

} // namespace

void Worker::hold()
{
    std::lock_guard<std::mutex> locked(holdLock);
    held = true;
}

void Worker::release()
{
    {
        std::lock_guard<std::mutex> locked(holdLock);
        held = false;
    }
    released.notify_all();
}

Worker::Worker(const QString &name, int capacity, QObject *parent)
    : QObject(parent)
    , name(name)
    , capacity(capacity)
{
}

Worker::~Worker()
{
    {
        std::lock_guard<std::mutex> hold(holdLock);
        std::lock_guard<std::mutex> locked(lock);
        stopping = true;
    }
    wake.notify_one();
    released.notify_all();
    if (thread.joinable())
        thread.join();
}

bool Worker::post(Job job, Done done)
{
    if (pending() >= capacity) {
        qCWarning(lcWorker).noquote() << name << "busy:" << pending() << "requests waiting; refused";
        return false;
    }
    if (!thread.joinable())
        thread = std::thread(&Worker::run, this);
    waiting.push_back(std::move(done));
    {
        std::lock_guard<std::mutex> locked(lock);
        jobs.push_back(std::move(job));
    }
    wake.notify_one();
    return true;
}

void Worker::run()
{
    std::unique_lock<std::mutex> locked(lock);
    for (;;) {
        wake.wait(locked, [this] { return stopping || !jobs.empty(); });
        if (stopping)
            return;
        locked.unlock();
        {
            std::unique_lock<std::mutex> holding(holdLock);
            released.wait(holding, [this] { return !held || stopping; });
        }
        locked.lock();
        if (stopping)
            return;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        locked.unlock();
        QVariant result = job();
        job = nullptr; // what the job holds goes here, not under the lock
        locked.lock();
        results.push_back(std::move(result));
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
    }
}

// Results arrive in the order the jobs ran, which is the order they were
// posted, so each belongs to the oldest answer still waiting.
void Worker::deliver()
{
    std::deque<QVariant> ready;
    {
        std::lock_guard<std::mutex> locked(lock);
        ready.swap(results);
    }
    for (QVariant &result : ready) {
        const Done done = std::move(waiting.front());
        waiting.pop_front();
        if (done)
            done(result);
    }
}

} // namespace platform
