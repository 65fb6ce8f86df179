#pragma once

// Internals shared by the SimBoard sources: the terminal and thread
// (SimBoard.cpp) and the command handling (SimBoardProtocol.cpp).
#include "SimBoard.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace sim {

using Clock = std::chrono::steady_clock;

struct SimBoard::Private {
    explicit Private(const QString &rootDir) : root(rootDir) {}

    const QString root;
    mutable std::mutex mutex; // guards everything below except the thread handle

    // Terminal and thread.
    int master = -1;
    int slave = -1; // held open so the master never sees EIO between console opens
    int wake[2] = {-1, -1};
    QString slaveName;
    QString error;
    std::thread thread;
    std::atomic<bool> stopRequested{false};
    bool running = false;
    Clock::time_point t0;
    QFile log;

    // Settings.
    BoardFault fault = BoardFault::None;
    int faultCount = -1;
    int replyDelay = 0;
    int splitGap = 40;
    QByteArray version = "ZB1.04.07";
    qint64 totalCycles = 0;
    int runOverride = -1;
    int reportInterval = 1000;
    int calFrom = 1200;
    int calTo = 250;
    int calMsecs = 30000;

    // Traffic.
    QList<BoardChunk> rx;
    QList<BoardChunk> tx;
    std::multimap<Clock::time_point, QByteArray> pendingWrites;

    // Board state, driven by the board thread.
    std::map<int, qint64> params;
    QByteArray line;
    bool dispensing = false;
    bool continuous = false;
    int runs = 0;
    Clock::time_point runStart;
    Clock::time_point runEnd;   // timed runs
    Clock::time_point nextReport; // continuous runs
    qint64 runCycles = 0;       // timed runs: cycles the run makes
    qint64 reportedCycles = 0;  // continuous runs: cycles already reported
    qint64 runLengthUsecs = 0;
    qint64 cycleUsecs = 1;
    bool calibrating = false;
    Clock::time_point calStart;
    Clock::time_point nextCalUpdate;

    // Called with the mutex held.
    qint64 usecsSinceStart(Clock::time_point t) const
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(t - t0).count();
    }
    void logLine(const char *direction, const QByteArray &bytes);
    void writeNow(const QByteArray &bytes);
    void queueWrite(const QByteArray &bytes, int delayMsecs = 0);

    // Board behaviour (SimBoardProtocol.cpp), mutex held.
    void handleBytes(const QByteArray &bytes);
    void handleLine(const QByteArray &text);
    bool takeFault(BoardFault kind);
    void echo(const QByteArray &prefix, qint64 applied);
    void reply(const QByteArray &bytes, bool answer); // answer: after the reply delay
    void startRun();
    void stopRun();
    void startCalibration();
    void runTimers(Clock::time_point now);
    Clock::time_point nextDeadline() const;
    void writePeakValue(int value);
};

} // namespace sim
