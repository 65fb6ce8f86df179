#pragma once

#include <QStringList>
#include <QThread>
#include <QVector>

#include <functional>
#include <mutex>

// Collects the lines logged (from any thread) while it lives, with the
// thread of each; all but debug lines also go on as before. The hook runs on
// the logging thread; lines logged inside it bypass the capture (Qt does not
// re-enter a handler). One lock (a std::mutex, visible to ThreadSanitizer)
// covers the capture from its start to its end, so threads that keep
// logging meanwhile neither race with it nor outlive it.
class LogCapture
{
public:
    struct Line {
        Qt::HANDLE thread;
        QString text;
    };
    std::function<void(const QString &)> hook;

    LogCapture() { std::lock_guard<std::mutex> locker(gate()); self() = this, previous = qInstallMessageHandler(&handle); }
    ~LogCapture() { qInstallMessageHandler(previous); std::lock_guard<std::mutex> locker(gate()); self() = nullptr; }

    QVector<Line> lines() const { std::lock_guard<std::mutex> locker(gate()); return all; }
    QString joined() const
    {
        QStringList texts;
        for (const Line &line : lines())
            texts.append(line.text);
        return texts.join('\n');
    }
    int count(const QString &text) const { return joined().split('\n').count(text); }

private:
    static std::mutex &gate() { static std::mutex mutex; return mutex; }
    static LogCapture *&self() { static LogCapture *capture = nullptr; return capture; }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        std::lock_guard<std::mutex> locker(gate());
        LogCapture *capture = self();
        if (!capture)
            return; // logged while the capture ended
        if (type != QtDebugMsg)
            capture->previous(type, context, text);
        capture->all.append({QThread::currentThreadId(), text});
        if (capture->hook)
            capture->hook(text);
    }

    QVector<Line> all;
    QtMessageHandler previous = nullptr;
};
