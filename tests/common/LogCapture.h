#pragma once

#include <QStringList>
#include <QThread>
#include <QVector>

#include <functional>
#include <mutex>

// Collects the lines logged (from any thread) while it lives, with the
// thread of each; all but debug lines also go on as before. The hook runs on
// the logging thread; lines logged inside it bypass the capture (Qt does not
// re-enter a handler).
class LogCapture
{
public:
    struct Line {
        Qt::HANDLE thread;
        QString text;
    };
    std::function<void(const QString &)> hook;

    LogCapture() { self() = this, previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(previous), self() = nullptr; }

    QVector<Line> lines() const
    {
        std::lock_guard<std::mutex> locker(mutex); // std::mutex: visible to ThreadSanitizer
        return all;
    }
    QString joined() const
    {
        QStringList texts;
        for (const Line &line : lines())
            texts.append(line.text);
        return texts.join('\n');
    }
    int count(const QString &text) const { return joined().split('\n').count(text); }

private:
    static LogCapture *&self()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type != QtDebugMsg)
            self()->previous(type, context, text);
        std::unique_lock<std::mutex> locker(self()->mutex);
        self()->all.append({QThread::currentThreadId(), text});
        locker.unlock();
        if (self()->hook)
            self()->hook(text);
    }

    mutable std::mutex mutex;
    QVector<Line> all;
    QtMessageHandler previous = nullptr;
};
