#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>
#include <QtGlobal>

#include <functional>
#include <mutex>

// Collects the debug lines of the code under test (from any thread) while
// it lives; warnings still reach the test output.
class LogCapture
{
public:
    struct Line {
        Qt::HANDLE thread;
        QString text;
    };

    LogCapture()
    {
        current() = this;
        previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous);
        current() = nullptr;
    }

    // Called on the logging thread for every captured line.
    void setHook(std::function<void(const QString &)> hook) { onLine = std::move(hook); }

    QStringList texts() const
    {
        std::lock_guard<std::mutex> locker(mutex);
        QStringList all;
        for (const Line &line : lines)
            all.append(line.text);
        return all;
    }
    QVector<Line> all() const
    {
        std::lock_guard<std::mutex> locker(mutex);
        return lines;
    }
    int count(const QString &text) const { return texts().count(text); }
    int countStartingWith(const QString &prefix) const
    {
        int n = 0;
        for (const QString &text : texts())
            n += text.startsWith(prefix) ? 1 : 0;
        return n;
    }
    bool has(const QString &text) const { return texts().contains(text); }
    void clear()
    {
        std::lock_guard<std::mutex> locker(mutex);
        lines.clear();
    }

private:
    static LogCapture *&current()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        LogCapture *self = current();
        if (!self)
            return;
        if (type != QtDebugMsg) {
            self->previous(type, context, text);
            return;
        }
        {
            std::lock_guard<std::mutex> locker(self->mutex);
            self->lines.append({QThread::currentThreadId(), text});
        }
        if (self->onLine)
            self->onLine(text);
    }

    // std::mutex rather than QMutex: visible to ThreadSanitizer.
    mutable std::mutex mutex;
    QVector<Line> lines;
    QtMessageHandler previous = nullptr;
    std::function<void(const QString &)> onLine;
};
