#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace platform {

// Measures how long the thread that owns it is held: a timer on that thread
// fires every `intervalMs`, and the longest time between two of its ticks is
// the longest stall seen, the interval included. Used by the heartbeat, the
// tests that check the window thread stays free during slow work, and the
// stall benchmark.
class StallMonitor : public QObject
{
public:
    explicit StallMonitor(int intervalMs, QObject *parent = nullptr);

    // Forgets what was seen and measures from now.
    void restart();
    // The longest time between two ticks since the restart, counting the
    // time since the last tick as well.
    qint64 longestGapMs() const;

private:
    void tick();

    QTimer timer;
    QElapsedTimer clock;
    qint64 lastTickMs = 0;
    qint64 longestMs = 0;
};

} // namespace platform
