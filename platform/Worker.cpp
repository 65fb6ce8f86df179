#include "Worker.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcWorker, "zum.platform.worker")

namespace platform {

Worker::Worker(const QString &name, int capacity, QObject *parent)
    : QObject(parent)
    , capacity(capacity)
{
    thread.setObjectName(name);
    runner.moveToThread(&thread);
}

Worker::~Worker()
{
    thread.quit();
    thread.wait();
}

// Both hops are queued events: the worker thread takes jobs in posting order,
// and the owner's thread takes the answers in the order the jobs ended.
bool Worker::post(Job job, Done done)
{
    if (unanswered >= capacity) {
        qCWarning(lcWorker).noquote() << thread.objectName() << "busy:" << unanswered << "requests waiting; refused";
        return false;
    }
    if (!thread.isRunning())
        thread.start();
    ++unanswered;
    QMetaObject::invokeMethod(&runner, [this, job = std::move(job), done = std::move(done)] {
        const QVariant result = job();
        QMetaObject::invokeMethod(this, [this, done, result] {
            --unanswered;
            if (done)
                done(result);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    return true;
}

} // namespace platform
