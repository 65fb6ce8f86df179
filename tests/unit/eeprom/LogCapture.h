#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <functional>
#include <mutex>

// Collects the debug lines logged (from any thread) while it lives. Lines
// logged from inside the hook bypass it: Qt does not re-enter a handler.
class LogCapture
{
public:
    struct Line {
        Qt::HANDLE thread;
        QString text;
    };

    LogCapture() { current() = this; previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(previous); current() = nullptr; }

    std::function<void(const QString &)> hook; // runs on the logging thread

    QVector<Line> lines() const
    {
        std::lock_guard<std::mutex> locker(mutex); // std::mutex: visible to ThreadSanitizer
        return all;
    }
    QStringList texts() const
    {
        QStringList texts;
        for (const Line &line : lines())
            texts.append(line.text);
        return texts;
    }
    int count(const QString &text) const { return texts().count(text); }
    bool has(const QString &text) const { return texts().contains(text); }

private:
    static LogCapture *&current()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        LogCapture *self = current();
        if (type != QtDebugMsg)
            return self->previous(type, context, text);
        {
            std::lock_guard<std::mutex> locker(self->mutex);
            self->all.append({QThread::currentThreadId(), text});
        }
        if (self->hook)
            self->hook(text);
    }

    mutable std::mutex mutex;
    QVector<Line> all;
    QtMessageHandler previous = nullptr;
};
