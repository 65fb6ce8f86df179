#include "StallMonitor.h"

#include <algorithm>

namespace platform {

StallMonitor::StallMonitor(int intervalMs, QObject *parent)
    : QObject(parent)
{
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, &StallMonitor::tick);
    restart();
}

void StallMonitor::restart()
{
    clock.start();
    lastTickMs = 0;
    longestMs = 0;
    timer.start();
}

qint64 StallMonitor::longestGapMs() const
{
    return std::max(longestMs, clock.elapsed() - lastTickMs);
}

void StallMonitor::tick()
{
    const qint64 now = clock.elapsed();
    longestMs = std::max(longestMs, now - lastTickMs);
    lastTickMs = now;
}

} // namespace platform
