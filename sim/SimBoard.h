#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace sim {

// One chunk of serial traffic as one read() or write() on the board's side.
struct BoardChunk {
    qint64 usecs = 0; // since SimBoard::start(), monotonic clock
    QByteArray bytes;

    qint64 msecs() const { return usecs / 1000; }
};

// Ways the simulated board misbehaves on purpose.
enum class BoardFault {
    None,
    Silent,    // reads and records everything, answers nothing
    WrongEcho, // echoes a parameter command with a value that is off by one
    SplitEcho, // sends an echo in two writes: "P" + first digit, then the rest
};

// The valve driver board behind a pseudo-terminal linked at
// <root>/dev/ttymxc6. It runs on its own thread so that a console blocking
// on serial waits still gets answers. Every byte it reads or writes is kept
// with its time and also logged to <root>/sim/board.log.
//
// Behaviour: parameter commands ("Pnn:value" + CR) are echoed as
// "Pnn:" + applied value + CR LF, with the board's limits (0 -> 1 for P00,
// P01, P02, P03, P05; above 100000 -> 100000 for P01, P03, P05; 100 or more
// -> 99 for P04). "P26:" answers the version text, "P21:" a count report of
// the board's total, "P06:" + CR starts a run, "x" stops it, "P20:" starts
// the falling piezo peak value in <root>/sys/devices/platform/zuvc/.
// A count report is "P17:" + count right-aligned in ten characters + CR LF.
// With run mode 1 (P12:1) a run is continuous: it goes on until "x" or a new
// P05, reporting the cycles done every report interval and at the stop.
// Otherwise a run lasts P05 x (P00 + P01 + P02 + P03) microseconds and ends
// with one report of the cycles it made (a run cut short by "x" reports
// the cycles done so far).
//
// All public functions are thread-safe except start() and stop(), which
// belong to the thread that owns the object.
class SimBoard
{
public:
    explicit SimBoard(const QString &rootDir);
    ~SimBoard(); // stops the board

    SimBoard(const SimBoard &) = delete;
    SimBoard &operator=(const SimBoard &) = delete;

    // Opens the pseudo-terminal, replaces the link <root>/dev/ttymxc6 and
    // starts the board's thread. False (with errorString()) on failure.
    bool start();
    // Stops the thread, closes the terminal and removes the link.
    void stop();
    bool isRunning() const;
    QString errorString() const;

    QString linkPath() const;  // <root>/dev/ttymxc6
    QString slavePath() const; // /dev/pts/N while running
    QString logPath() const;   // <root>/sim/board.log

    // Faults apply to the next `count` replies (-1: until changed again).
    void setFaultMode(BoardFault fault, int count = -1);
    BoardFault faultMode() const;
    // Pause before each reply (0: answer at once).
    void setReplyDelay(int msecs);
    // Pause between the two halves of a split echo.
    void setSplitGap(int msecs);

    // Text after "P26:" in the version answer.
    void setVersionText(const QByteArray &text);
    // The board's total cycle count (answered on "P21:").
    void setCycleCount(qint64 count);
    qint64 cycleCount() const;

    // Fixed run length instead of the one computed from the parameters
    // (-1 restores the computed length).
    void setRunLengthOverride(int msecs);
    // How often a continuous run reports its cycles (default 1000 ms).
    void setReportInterval(int msecs);
    // The piezo peak value after "P20:": falls linearly from `from` to `to`
    // over `msecs`, updated every 100 ms (default 1200 -> 250 over 30 s).
    void setCalibrationCurve(int from, int to, int msecs);

    // Applied value of parameter command `code` (0..99); -1 if never set.
    qint64 parameter(int code) const;
    bool isDispensing() const;
    int runsStarted() const;

    // Traffic since start() or the last clearLog(), oldest first.
    QList<BoardChunk> received() const;
    QList<BoardChunk> sent() const;
    QByteArray receivedBytes() const; // all received chunks joined
    QByteArray sentBytes() const;
    void clearLog();

    // Writes raw bytes to the console as one chunk (unsolicited traffic).
    void send(const QByteArray &bytes);

private:
    void loop();

    struct Private;
    std::unique_ptr<Private> d;
};

// "P17:" + count right-aligned in ten characters + CR LF.
QByteArray countReport(qint64 count);

} // namespace sim
