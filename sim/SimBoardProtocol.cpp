// What the simulated driver board does with the bytes it reads.
#include "SimBoardPrivate.h"

#include "SimRoot.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace sim {

namespace {

constexpr int maxLineLength = 256;    // a runaway line without CR is cut here
constexpr qint64 maxCount = 9999999999; // what fits in a count report
constexpr int peakUpdateMsecs = 100;

// The board clamps some values and echoes what it applied.
qint64 applyLimits(int code, qint64 value)
{
    switch (code) {
    case 0:
    case 2:
        return value == 0 ? 1 : value;
    case 1:
    case 3:
    case 5:
        if (value == 0)
            return 1;
        return std::min<qint64>(value, 100000);
    case 4:
        return value >= 100 ? 99 : value;
    default:
        return value;
    }
}

qint64 usecsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

} // namespace

void SimBoard::Private::handleBytes(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c == 'x') { // the stop command has no terminator and acts at once
            stopRun();
            if (calibrating) {
                calibrating = false;
                logLine("--", "peak value measurement stopped");
            }
        } else if (c == '\r') {
            const QByteArray text = line;
            line.clear();
            handleLine(text);
        } else if (c != '\n' && line.size() < maxLineLength) {
            line += c;
        }
    }
}

void SimBoard::Private::handleLine(const QByteArray &text)
{
    if (text.isEmpty()) {
        // A line reset gets the board's empty prompt line, so the console's
        // wait after it ends at once.
        reply("\r\n", true);
        return;
    }
    static const QRegularExpression form(QStringLiteral("^P(\\d\\d):(.*)$"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(text));
    if (!match.hasMatch()) {
        logLine("--", "ignored line " + text);
        return;
    }
    const int code = match.captured(1).toInt();
    const QString valueText = match.captured(2).trimmed();
    if (code == 6) {
        startRun();
        return;
    }
    if (valueText.isEmpty()) {
        switch (code) {
        case 20:
            startCalibration();
            break;
        case 21:
            reply(countReport(totalCycles), true);
            break;
        case 26:
            reply("P26:" + version + "\r\n", true);
            break;
        default:
            logLine("--", "ignored request " + text);
        }
        return;
    }
    bool ok = false;
    const qint64 value = valueText.toLongLong(&ok);
    if (!ok) {
        logLine("--", "ignored value " + text);
        return;
    }
    // A new cycle count ends a continuous run: that is how the console
    // leaves line mode when the run button is released.
    if (code == 5 && dispensing && continuous)
        stopRun();
    const qint64 applied = applyLimits(code, value);
    params[code] = applied;
    echo(text.left(4), applied);
}

// Counts one faulty reply; the fault ends when its count runs out.
bool SimBoard::Private::takeFault(BoardFault kind)
{
    if (fault != kind)
        return false;
    if (faultCount > 0 && --faultCount == 0)
        fault = BoardFault::None;
    return true;
}

void SimBoard::Private::echo(const QByteArray &prefix, qint64 applied)
{
    if (takeFault(BoardFault::Silent)) {
        logLine("--", "silent: no echo");
        return;
    }
    if (takeFault(BoardFault::WrongEcho))
        applied = applied > 1 ? applied - 1 : applied + 1;
    const QByteArray bytes = prefix + QByteArray::number(applied) + "\r\n";
    if (takeFault(BoardFault::SplitEcho)) {
        queueWrite(bytes.left(2), replyDelay);
        queueWrite(bytes.mid(2), replyDelay + splitGap);
        return;
    }
    queueWrite(bytes, replyDelay);
}

void SimBoard::Private::reply(const QByteArray &bytes, bool answer)
{
    if (takeFault(BoardFault::Silent)) {
        logLine("--", "silent: no reply");
        return;
    }
    queueWrite(bytes, answer ? replyDelay : 0);
}

void SimBoard::Private::startRun()
{
    if (dispensing) {
        logLine("--", "run command ignored: a run is going");
        return;
    }
    const auto param = [this](int code, qint64 unset) {
        const auto it = params.find(code);
        return it == params.end() ? unset : std::max<qint64>(0, it->second);
    };
    ++runs;
    dispensing = true;
    runStart = Clock::now();
    continuous = param(12, 0) == 1;
    cycleUsecs = std::max<qint64>(1, param(0, 0) + param(1, 0) + param(2, 0) + param(3, 0));
    if (continuous) {
        reportedCycles = 0;
        nextReport = runStart + std::chrono::milliseconds(reportInterval);
        logLine("--", "continuous run started");
        return;
    }
    runCycles = param(5, 1);
    runLengthUsecs = runOverride >= 0 ? qint64(runOverride) * 1000 : runCycles * cycleUsecs;
    runEnd = runStart + std::chrono::microseconds(runLengthUsecs);
    logLine("--", "run of " + QByteArray::number(runCycles) + " cycles, "
                      + QByteArray::number(runLengthUsecs / 1000.0, 'f', 3) + " ms");
}

void SimBoard::Private::stopRun()
{
    if (!dispensing)
        return;
    dispensing = false;
    const qint64 elapsed = usecsBetween(runStart, Clock::now());
    qint64 done = 0;
    if (continuous) {
        done = std::min(maxCount, elapsed / cycleUsecs) - reportedCycles;
    } else {
        const double share = runLengthUsecs > 0 ? std::min(1.0, double(elapsed) / double(runLengthUsecs)) : 1.0;
        done = qint64(double(runCycles) * share);
    }
    done = std::max<qint64>(0, done);
    totalCycles += done;
    logLine("--", "run stopped");
    reply(countReport(done), false);
}

void SimBoard::Private::startCalibration()
{
    calibrating = true;
    calStart = Clock::now();
    nextCalUpdate = calStart;
    logLine("--", "peak value measurement started");
}

void SimBoard::Private::runTimers(Clock::time_point now)
{
    while (!pendingWrites.empty() && pendingWrites.begin()->first <= now) {
        const QByteArray bytes = pendingWrites.begin()->second;
        pendingWrites.erase(pendingWrites.begin());
        writeNow(bytes);
    }
    if (dispensing && !continuous && now >= runEnd) {
        dispensing = false;
        totalCycles += runCycles;
        logLine("--", "run over");
        reply(countReport(runCycles), false);
    }
    if (dispensing && continuous && now >= nextReport) {
        const qint64 cycles = std::min(maxCount, usecsBetween(runStart, now) / cycleUsecs);
        const qint64 delta = cycles - reportedCycles;
        reportedCycles = cycles;
        totalCycles += delta;
        reply(countReport(delta), false);
        nextReport += std::chrono::milliseconds(reportInterval);
    }
    if (calibrating && now >= nextCalUpdate) {
        const qint64 elapsed = usecsBetween(calStart, now) / 1000;
        if (elapsed >= calMsecs) {
            writePeakValue(calTo);
            calibrating = false;
        } else {
            writePeakValue(calFrom + int((calTo - calFrom) * double(elapsed) / double(calMsecs)));
            nextCalUpdate += std::chrono::milliseconds(peakUpdateMsecs);
        }
    }
    // Writes queued by the steps above for "now" go out in this pass.
    while (!pendingWrites.empty() && pendingWrites.begin()->first <= now) {
        const QByteArray bytes = pendingWrites.begin()->second;
        pendingWrites.erase(pendingWrites.begin());
        writeNow(bytes);
    }
}

Clock::time_point SimBoard::Private::nextDeadline() const
{
    Clock::time_point next = Clock::time_point::max();
    if (!pendingWrites.empty())
        next = pendingWrites.begin()->first;
    if (dispensing)
        next = std::min(next, continuous ? nextReport : runEnd);
    if (calibrating)
        next = std::min(next, nextCalUpdate);
    return next;
}

void SimBoard::Private::writePeakValue(int value)
{
    const QString file = SimRoot(root).path(QStringLiteral("/sys/devices/platform/zuvc/adc_piezo_average"));
    QDir().mkpath(QFileInfo(file).absolutePath());
    // Replaced whole so that a reader never sees half a number.
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QByteArray::number(value) + '\n');
        out.commit();
    }
}

} // namespace sim
