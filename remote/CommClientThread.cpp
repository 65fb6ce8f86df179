#include "CommClientThread.h"

#include "RemoteMessages.h"
#include "ServerAddress.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QDebug>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

// Keepalive probes and a bound on unacknowledged data, so a peer that
// vanished without a close ends the connection (see keepAliveIdleS).
void watchForDeadPeer(QTcpSocket &socket)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = int(socket.socketDescriptor());
    const int idle = CommClientThread::keepAliveIdleS;
    const int interval = CommClientThread::keepAliveIntervalS;
    const int probes = CommClientThread::keepAliveProbes;
    const unsigned userTimeoutMs = unsigned(idle + interval * probes) * 1000u;
    if (setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0
        || setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0
        || setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) != 0
        || setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs) != 0)
        qCWarning(lcRemote).noquote() << "dead server checks not set:" << std::strerror(errno);
}

} // namespace

CommClientThread::CommClientThread(QObject *parent)
    : QThread(parent)
    , hostName(QStringLiteral(ZUM_DEFAULT_SERVER_IP))
    , latestPackage(QLatin1String(remote::noPackage))
{
}

CommClientThread::~CommClientThread()
{
    {
        std::lock_guard<std::mutex> locker(targetLock);
        quitRequested = true;
        wakeSession();
    }
    wait();
    // run() leaves through this lock; taking it once more orders everything
    // run() did before the members go, for thread checkers that cannot see
    // through wait().
    std::lock_guard<std::mutex> locker(targetLock);
}

void CommClientThread::setTiming(const Timing &newTiming)
{
    std::lock_guard<std::mutex> locker(targetLock);
    timing = newTiming;
}

void CommClientThread::setTarget(const QString &host, int newPort)
{
    std::lock_guard<std::mutex> locker(targetLock);
    hostName = host;
    port = newPort;
    newTargetRequested = true;
    wakeSession();
}

void CommClientThread::queueReport(const QString &report)
{
    std::lock_guard<std::mutex> locker(targetLock);
    while (outgoingQueue.size() >= maxQueuedReports)
        outgoingQueue.removeFirst();
    outgoingQueue.append(report);
}

void CommClientThread::setLatestPackage(const QString &package)
{
    std::lock_guard<std::mutex> locker(targetLock);
    latestPackage = package;
}

void CommClientThread::setMacAddress(const QString &mac)
{
    std::lock_guard<std::mutex> locker(targetLock);
    clientMacAddress = mac;
}

QStringList CommClientThread::queuedReports() const
{
    std::lock_guard<std::mutex> locker(targetLock);
    return outgoingQueue;
}

CommClientThread::Ending CommClientThread::timedOut()
{
    return {QAbstractSocket::SocketTimeoutError, QStringLiteral("Socket operation timed out")};
}

CommClientThread::Timing CommClientThread::currentTiming() const
{
    std::lock_guard<std::mutex> locker(targetLock);
    return timing;
}

CommClientThread::Interrupt CommClientThread::pendingInterrupt() const
{
    std::lock_guard<std::mutex> locker(targetLock);
    if (quitRequested)
        return Interrupt::Stop;
    return newTargetRequested ? Interrupt::NewTarget : Interrupt::None;
}

void CommClientThread::wakeSession()
{
    if (sessionDispatcher)
        sessionDispatcher->wakeUp();
}

bool CommClientThread::waitFor(int ms, const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                         : QDeadlineTimer(ms, Qt::PreciseTimer));
    QTimer alarm; // wakes the dispatcher when the time is up
    alarm.setTimerType(Qt::PreciseTimer);
    alarm.setSingleShot(true);
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (;;) {
        if (done())
            return true;
        if (pendingInterrupt() != Interrupt::None || deadline.hasExpired())
            return false;
        if (!deadline.isForever() && !alarm.isActive())
            alarm.start(int(qMax<qint64>(1, deadline.remainingTime())));
        dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void CommClientThread::run()
{
    QTcpSocket socket;
    socket.setReadBufferSize(maxRequestBytes);
    {
        std::lock_guard<std::mutex> locker(targetLock);
        sessionDispatcher = QAbstractEventDispatcher::instance();
    }
    const auto settled = [&socket] {
        const auto state = socket.state();
        return state == QAbstractSocket::ConnectedState || state == QAbstractSocket::UnconnectedState;
    };

    bool pauseFirst = true;
    int silentWaits = 0;
    for (;;) {
        Timing now;
        QString host;
        int targetPort = 0;
        if (pauseFirst) {
            waitFor(currentTiming().pauseMs, [] { return false; });
        }
        {
            std::lock_guard<std::mutex> locker(targetLock);
            if (quitRequested)
                break;
            now = timing;
            host = hostName;
            targetPort = port;
            if (newTargetRequested) {
                newTargetRequested = false;
                socket.abort();
            }
        }
        pauseFirst = true;

        const QHostAddress address = remote::serverAddress(host);
        if (address.isNull() || !remote::isServerPort(targetPort)) {
            // Nowhere to connect to: offline until the next target.
            socket.abort();
            emit connectionStatus(false);
            waitFor(-1, [] { return false; });
            pauseFirst = false;
            continue;
        }

        // A connection that stayed open while the server was silent carries on.
        if (socket.state() == QAbstractSocket::UnconnectedState) {
            silentWaits = 0;
            socket.connectToHost(address, quint16(targetPort));
        }
        const bool answered = waitFor(now.connectWaitMs, settled);
        if (socket.state() != QAbstractSocket::ConnectedState) {
            const Interrupt why = pendingInterrupt();
            if (why == Interrupt::Stop)
                break;
            if (why == Interrupt::NewTarget) {
                pauseFirst = false;
                continue;
            }
            Ending ending{socket.error(), socket.errorString()};
            if (!answered) {
                socket.abort();
                ending = timedOut();
            }
            emit error(ending.code, ending.text);
            emit connectionStatus(false);
            continue;
        }

        qDebug().noquote() << QStringLiteral("Connected to the host");
        // The kernel, too, keeps no more than the bound of unsent answers.
        socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(maxBacklogBytes));
        watchForDeadPeer(socket);
        emit connectionStatus(true);
        const Ending ending = exchange(socket, silentWaits);
        const Interrupt why = pendingInterrupt();
        if (why == Interrupt::Stop)
            break;
        emit connectionStatus(false);
        if (why == Interrupt::NewTarget) {
            pauseFirst = false;
            continue;
        }
        emit error(ending.code, ending.text);
    }

    socket.abort();
    std::lock_guard<std::mutex> locker(targetLock);
    sessionDispatcher = nullptr;
}

// Answers the server's requests, one received read at a time, until the
// server falls silent or goes away, or the session is asked to end. After
// maxSilentWaits silent waits in a row the connection is closed as well.
CommClientThread::Ending CommClientThread::exchange(QTcpSocket &socket, int &silentWaits)
{
    const auto heardOrLost = [&socket] {
        return socket.bytesAvailable() > 0 || socket.state() != QAbstractSocket::ConnectedState;
    };
    const auto sentOrLost = [&socket] {
        return socket.bytesToWrite() == 0 || socket.state() != QAbstractSocket::ConnectedState;
    };
    bool sendLatestFirst = true;
    for (;;) {
        const Timing now = currentTiming();
        waitFor(now.pauseMs, [] { return false; });
        if (pendingInterrupt() != Interrupt::None)
            return {};
        waitFor(now.dataWaitMs, heardOrLost);
        if (pendingInterrupt() != Interrupt::None)
            return {};
        if (socket.bytesAvailable() <= 0) {
            if (socket.state() != QAbstractSocket::ConnectedState)
                return {socket.error(), socket.errorString()};
            if (++silentWaits < maxSilentWaits)
                return timedOut();
            socket.abort();
            return {QAbstractSocket::SocketTimeoutError, QStringLiteral("The server has fallen silent")};
        }
        silentWaits = 0;
        socket.write(answer(socket.readAll(), sendLatestFirst));
        socket.flush();
        waitFor(now.writeWaitMs, sentOrLost);
        if (socket.bytesToWrite() > maxBacklogBytes) {
            // A server that asks without reading would make the answers pile up.
            socket.abort();
            return {QAbstractSocket::SocketTimeoutError, QStringLiteral("The server does not take its answers")};
        }
    }
}
