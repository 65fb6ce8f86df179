#pragma once

// The start-up benchmark's probe, shared by the console and the bare window it
// is compared with: with ZUM_QUIT_ON_FIRST_FRAME set, the program prints the
// time from its process start to its window's first frame and quits. A
// launcher that passes its own clock in ZUM_LAUNCH_NS (nanoseconds since the
// epoch, taken just before it starts the program) gets the time to the
// millisecond; otherwise the kernel's start time counts, in 10 ms ticks.

#include <QCoreApplication>
#include <QFile>
#include <QQuickWindow>

#include <cstdio>
#include <ctime>
#include <unistd.h>

// Milliseconds since the process started, from the kernel's own start time.
inline long long processUptimeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const long long startTicks = fields.value(19).toLongLong(); // field 22, starttime
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const long long nowMs = now.tv_sec * 1000LL + now.tv_nsec / 1000000;
    return nowMs - startTicks * 1000LL / sysconf(_SC_CLK_TCK);
}

// Milliseconds since the launcher's ZUM_LAUNCH_NS, or -1 without it.
inline double launchUptimeMs()
{
    bool ok = false;
    const long long launchNs = qEnvironmentVariable("ZUM_LAUNCH_NS").toLongLong(&ok);
    if (!ok)
        return -1;
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec * 1000000000LL + now.tv_nsec - launchNs) / 1e6;
}

inline void quitOnFirstFrameIfAsked(QQuickWindow *window)
{
    if (qEnvironmentVariableIsEmpty("ZUM_QUIT_ON_FIRST_FRAME"))
        return;
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [] {
        static bool reported = false;
        if (reported)
            return;
        reported = true;
        const double launched = launchUptimeMs();
        const double uptime = launched >= 0 ? launched : double(processUptimeMs());
        std::printf("first frame %.1f ms, cpu %ld ms\n", uptime, std::clock() * 1000 / CLOCKS_PER_SEC);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }, Qt::QueuedConnection);
}
