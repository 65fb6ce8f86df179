#include "SimBoardPrivate.h"

#include "SimRoot.h"

#include <QDir>
#include <QFileInfo>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

// Printable form of traffic for the log: control bytes as escapes.
QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (u < 0x20 || u >= 0x7f)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

void setCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

QByteArray countReport(qint64 count)
{
    count = std::clamp<qint64>(count, 0, 9999999999);
    return "P17:" + QByteArray::number(count).rightJustified(10, ' ') + "\r\n";
}

SimBoard::SimBoard(const QString &rootDir)
    : d(std::make_unique<Private>(QDir(rootDir).absolutePath()))
{
}

SimBoard::~SimBoard()
{
    stop();
}

QString SimBoard::linkPath() const
{
    return SimRoot(d->root).path(QStringLiteral("/dev/ttymxc6"));
}

QString SimBoard::logPath() const
{
    return SimRoot(d->root).path(QStringLiteral("/sim/board.log"));
}

QString SimBoard::slavePath() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->slaveName;
}

QString SimBoard::errorString() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->error;
}

bool SimBoard::isRunning() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->running;
}

bool SimBoard::start()
{
    stop();
    std::unique_lock<std::mutex> lock(d->mutex);
    auto fail = [&](const QString &what) {
        d->error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        closeFd(d->slave);
        closeFd(d->master);
        closeFd(d->wake[0]);
        closeFd(d->wake[1]);
        return false;
    };

    d->master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (d->master < 0)
        return fail(QStringLiteral("posix_openpt"));
    setCloseOnExec(d->master);
    setNonBlocking(d->master);
    if (::grantpt(d->master) != 0 || ::unlockpt(d->master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    char name[128] = {};
    if (::ptsname_r(d->master, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    d->slaveName = QString::fromLocal8Bit(name);
    d->slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d->slave < 0)
        return fail(QStringLiteral("open ") + d->slaveName);
    termios tio {};
    if (::tcgetattr(d->slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B115200);
        ::tcsetattr(d->slave, TCSANOW, &tio);
    }
    if (::pipe(d->wake) != 0)
        return fail(QStringLiteral("pipe"));
    setCloseOnExec(d->wake[0]);
    setCloseOnExec(d->wake[1]);
    setNonBlocking(d->wake[0]);
    setNonBlocking(d->wake[1]);

    const QByteArray link = QFile::encodeName(linkPath());
    QDir().mkpath(QFileInfo(linkPath()).absolutePath());
    ::unlink(link.constData());
    if (::symlink(name, link.constData()) != 0)
        return fail(QStringLiteral("symlink ") + linkPath());

    QDir().mkpath(QFileInfo(logPath()).absolutePath());
    d->log.setFileName(logPath());
    if (!d->log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        d->error = QStringLiteral("cannot write ") + logPath();
    d->t0 = Clock::now();
    d->logLine("--", "board up on " + link + " -> " + QByteArray(name));
    d->stopRequested = false;
    d->running = true;
    lock.unlock();

    d->thread = std::thread([this] { loop(); });
    return true;
}

void SimBoard::stop()
{
    if (d->thread.joinable()) {
        d->stopRequested = true;
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(d->wake[1], &c, 1);
        d->thread.join();
    }
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->running)
        return;
    d->running = false;
    d->dispensing = false;
    d->calibrating = false;
    d->pendingWrites.clear();
    d->logLine("--", "board stopped");
    d->log.close();
    // Remove the link only while it still names our terminal.
    const QString link = linkPath();
    if (QFileInfo(link).symLinkTarget() == d->slaveName)
        QFile::remove(link);
    closeFd(d->slave);
    closeFd(d->master);
    closeFd(d->wake[0]);
    closeFd(d->wake[1]);
    d->slaveName.clear();
}

void SimBoard::loop()
{
    // QSerialPort marks the terminal exclusive while it has it open. Because
    // the board holds the terminal open too, a console that dies without
    // closing the port would leave that mark behind and lock out the next
    // console (a real device is released when its last user goes), so the
    // board clears it now and then. The port's lock file still keeps two
    // consoles apart.
    constexpr int exclusiveCheckMsecs = 500;
    char buffer[4096];
    while (!d->stopRequested) {
        int timeout = exclusiveCheckMsecs;
        {
            std::lock_guard<std::mutex> lock(d->mutex);
            const Clock::time_point next = d->nextDeadline();
            if (next != Clock::time_point::max()) {
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
                timeout = int(std::clamp<qint64>(wait + 1, 0, exclusiveCheckMsecs));
            }
        }
        pollfd fds[2] = {{d->master, POLLIN, 0}, {d->wake[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready == 0)
            ::ioctl(d->slave, TIOCNXCL);
        if (fds[1].revents & POLLIN) {
            while (::read(d->wake[0], buffer, sizeof buffer) > 0) {
            }
        }
        std::lock_guard<std::mutex> lock(d->mutex);
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(d->master, buffer, sizeof buffer);
            if (n > 0) {
                const QByteArray bytes(buffer, int(n));
                d->rx.append({d->usecsSinceStart(Clock::now()), bytes});
                d->logLine("rx", bytes);
                d->handleBytes(bytes);
            }
        }
        d->runTimers(Clock::now());
    }
}

void SimBoard::Private::logLine(const char *direction, const QByteArray &bytes)
{
    if (!log.isOpen())
        return;
    const QByteArray stamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1();
    const QByteArray since = QByteArray::number(usecsSinceStart(Clock::now()) / 1000.0, 'f', 3).rightJustified(11, ' ');
    log.write(stamp + ' ' + since + " ms " + direction + ' ' + escaped(bytes) + '\n');
    log.flush();
}

void SimBoard::Private::writeNow(const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break; // nobody reads and the terminal buffer is full: drop the rest
        done += n;
    }
    const QByteArray written = bytes.left(int(done));
    if (!written.isEmpty()) {
        tx.append({usecsSinceStart(Clock::now()), written});
        logLine("tx", written);
    }
    if (done < bytes.size())
        logLine("--", "dropped " + QByteArray::number(bytes.size() - done) + " bytes: terminal full");
}

void SimBoard::Private::queueWrite(const QByteArray &bytes, int delayMsecs)
{
    pendingWrites.emplace(Clock::now() + std::chrono::milliseconds(delayMsecs), bytes);
}

void SimBoard::send(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->queueWrite(bytes);
    if (d->wake[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(d->wake[1], &c, 1);
    }
}

void SimBoard::setFaultMode(BoardFault fault, int count)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->fault = fault;
    d->faultCount = count;
}

BoardFault SimBoard::faultMode() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->fault;
}

void SimBoard::setReplyDelay(int msecs)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->replyDelay = std::max(0, msecs);
}

void SimBoard::setSplitGap(int msecs)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->splitGap = std::max(0, msecs);
}

void SimBoard::setVersionText(const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->version = text;
}

void SimBoard::setCycleCount(qint64 count)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->totalCycles = count;
}

qint64 SimBoard::cycleCount() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->totalCycles;
}

void SimBoard::setRunLengthOverride(int msecs)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->runOverride = msecs;
}

void SimBoard::setReportInterval(int msecs)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->reportInterval = std::max(10, msecs);
}

void SimBoard::setCalibrationCurve(int from, int to, int msecs)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->calFrom = from;
    d->calTo = to;
    d->calMsecs = std::max(0, msecs);
}

qint64 SimBoard::parameter(int code) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto it = d->params.find(code);
    return it == d->params.end() ? -1 : it->second;
}

bool SimBoard::isDispensing() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->dispensing;
}

int SimBoard::runsStarted() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->runs;
}

QList<BoardChunk> SimBoard::received() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->rx;
}

QList<BoardChunk> SimBoard::sent() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->tx;
}

QByteArray SimBoard::receivedBytes() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    QByteArray all;
    for (const BoardChunk &chunk : d->rx)
        all += chunk.bytes;
    return all;
}

QByteArray SimBoard::sentBytes() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    QByteArray all;
    for (const BoardChunk &chunk : d->tx)
        all += chunk.bytes;
    return all;
}

void SimBoard::clearLog()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->rx.clear();
    d->tx.clear();
}

} // namespace sim
