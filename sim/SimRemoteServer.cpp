#include "SimRemoteServer.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace sim {

SimRemoteServer::SimRemoteServer(QObject *parent)
    : QObject(parent)
    , server(new QTcpServer(this))
    , pollTimer(new QTimer(this))
{
    connect(server, &QTcpServer::newConnection, this, &SimRemoteServer::acceptConnection);
    connect(pollTimer, &QTimer::timeout, this, &SimRemoteServer::autoStep);
}

SimRemoteServer::~SimRemoteServer()
{
    if (client)
        client->abort();
}

bool SimRemoteServer::start(quint16 port)
{
    return server->listen(QHostAddress::LocalHost, port);
}

quint16 SimRemoteServer::port() const
{
    return server->serverPort();
}

void SimRemoteServer::setAutoPilot(bool on, int pollMs)
{
    autoPilot = on;
    pollTimer->setInterval(pollMs);
    if (on && hasClient())
        pollTimer->start();
    else if (!on)
        pollTimer->stop();
}

bool SimRemoteServer::hasClient() const
{
    return client && client->state() == QAbstractSocket::ConnectedState;
}

int SimRemoteServer::connectionCount() const
{
    return accepted;
}

void SimRemoteServer::send(const QByteArray &request)
{
    if (!hasClient())
        return;
    log.append({request, QByteArray()});
    appendToLogFile("server>", request);
    client->write(request);
    client->flush();
}

bool SimRemoteServer::sendWhenReady(const QByteArray &request)
{
    if (pending.size() >= maxPending)
        return false;
    pending.append(request);
    if (hasClient() && (log.isEmpty() || !log.constLast().answer.isEmpty()))
        sendPending();
    return true;
}

void SimRemoteServer::sendPending()
{
    if (!pending.isEmpty() && hasClient())
        send(pending.takeFirst());
}

void SimRemoteServer::dropClient()
{
    if (client)
        client->disconnectFromHost();
}

void SimRemoteServer::stopListening()
{
    server->close();
}

QByteArray SimRemoteServer::lastAnswer() const
{
    return log.isEmpty() ? QByteArray() : log.constLast().answer;
}

QList<QByteArray> SimRemoteServer::reports() const
{
    QList<QByteArray> found;
    for (const Exchange &exchange : log) {
        const QByteArray &a = exchange.answer;
        if (a.startsWith("#START") || a.startsWith("#ERR#"))
            found.append(a);
    }
    return found;
}

// The console keeps one connection; a new one replaces the old.
void SimRemoteServer::acceptConnection()
{
    while (QTcpSocket *next = server->nextPendingConnection()) {
        if (client)
            client->abort();
        client = next;
        ++accepted;
        connect(next, &QTcpSocket::readyRead, this, &SimRemoteServer::readAnswer);
        connect(next, &QTcpSocket::disconnected, this, [this, next] {
            next->deleteLater();
            if (next == client)
                pollTimer->stop();
            emit clientDisconnected();
        });
        emit clientConnected();
        // Requests that waited for a console go first; the autopilot then
        // starts with the identification on its next step.
        const bool waiting = !pending.isEmpty();
        sendPending();
        if (autoPilot) {
            autoSteps = waiting ? 0 : 1;
            unansweredTicks = 0;
            if (!waiting)
                send("ZUM_CLIENT_REQ_IDENTIFICATION");
            pollTimer->start();
        }
    }
}

void SimRemoteServer::readAnswer()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket || socket != client)
        return;
    const QByteArray bytes = socket->readAll();
    if (log.isEmpty())
        log.append({QByteArray(), QByteArray()});
    log.last().answer += bytes;
    appendToLogFile("console>", bytes);
    emit answerReceived(log.constLast().request, bytes);
    sendPending();
}

void SimRemoteServer::autoStep()
{
    // Two requests in one read would be taken as one: wait for the answer,
    // but not for ever.
    if (!log.isEmpty() && log.constLast().answer.isEmpty() && ++unansweredTicks < 5)
        return;
    unansweredTicks = 0;
    switch (autoSteps++) {
    case 0:
        send("ZUM_CLIENT_REQ_IDENTIFICATION");
        break;
    case 1:
        send("@1");
        break;
    default:
        send("ZUM_IOT_REQ");
        break;
    }
}

} // namespace sim

namespace sim {

void SimRemoteServer::appendToLogFile(const char *direction, const QByteArray &bytes) const
{
    if (logPath.isEmpty())
        return;
    QFile file(logPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QByteArray shown = bytes;
    shown.replace('\r', "\\r").replace('\n', "\\n");
    file.write(direction + QByteArray(" ") + shown + '\n');
}

} // namespace sim
