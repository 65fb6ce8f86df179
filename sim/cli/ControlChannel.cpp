#include "ControlChannel.h"

#include "SimControl.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace sim {

namespace {

constexpr int maxClients = 8;
constexpr int connectMs = 2000;
constexpr int answerMs = 15000; // a large stick takes a while to copy

bool isLastLine(const QByteArray &line)
{
    return line.startsWith("ok") || line.startsWith("error: ");
}

} // namespace

QList<LineSplitter::Line> LineSplitter::feed(const QByteArray &bytes)
{
    QList<Line> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            if (skipping)
                lines.append({QByteArray(), true});
            else
                lines.append({pending, false});
            pending.clear();
            skipping = false;
        } else if (!skipping) {
            pending.append(c);
            if (pending.size() > limit) {
                pending.clear();
                skipping = true;
            }
        }
    }
    return lines;
}

ControlChannel::ControlChannel(SimControl &control, QObject *parent)
    : QObject(parent)
    , control(control)
    , stdinLines(SimControl::maxLineLength)
{
}

QString ControlChannel::socketPath(const QString &root)
{
    return root + QStringLiteral("/sim/control.sock");
}

QByteArray ControlChannel::answer(const LineSplitter::Line &line)
{
    if (line.tooLong)
        return "error: line longer than " + QByteArray::number(SimControl::maxLineLength) + " bytes\n";
    return control.execute(line.text);
}

bool ControlChannel::listen(const QString &path, QString *why)
{
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(maxClients);
    // A socket left by a simulator that was killed would block the name.
    QLocalServer::removeServer(path);
    if (!server->listen(path)) {
        *why = server->errorString();
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, &ControlChannel::acceptClient);
    return true;
}

void ControlChannel::acceptClient()
{
    while (QLocalSocket *client = server->nextPendingConnection()) {
        if (server->findChildren<QLocalSocket *>().size() > maxClients) {
            client->write("error: too many control connections\n");
            client->disconnectFromServer();
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            continue;
        }
        auto *lines = new LineSplitter(SimControl::maxLineLength);
        connect(client, &QLocalSocket::readyRead, this, [this, client, lines] {
            const QList<LineSplitter::Line> ready = lines->feed(client->readAll());
            for (const LineSplitter::Line &line : ready)
                client->write(answer(line));
        });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QObject::destroyed, this, [lines] { delete lines; });
    }
}

void ControlChannel::watchStdin()
{
    // Started in the background of an interactive shell, a read would stop
    // the process; ignoring SIGTTIN makes it fail instead, which ends the
    // watch below.
    std::signal(SIGTTIN, SIG_IGN);
    stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier, &QSocketNotifier::activated, this, &ControlChannel::readStdin);
}

void ControlChannel::readStdin()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input (or a terminal that is not ours): the socket stays.
        stdinNotifier->setEnabled(false);
        return;
    }
    const QList<LineSplitter::Line> ready = stdinLines.feed(QByteArray(buffer, int(n)));
    for (const LineSplitter::Line &line : ready) {
        const QByteArray text = answer(line);
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    }
    std::fflush(stdout);
}

int ControlChannel::send(const QString &path, const QStringList &commands)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectMs)) {
        err << "zumsim: no simulator answers at " << path << " (" << socket.errorString() << ")\n";
        return 2;
    }
    int status = 0;
    QByteArray received;
    for (const QString &command : commands) {
        QByteArray line = command.toUtf8();
        line.replace('\n', ' ');
        socket.write(line + '\n');
        socket.flush();
        bool last = false;
        QElapsedTimer timer;
        timer.start();
        while (!last) {
            const int newline = received.indexOf('\n');
            if (newline < 0) {
                if (received.size() > 64 * 1024 || timer.elapsed() > answerMs
                    || !socket.waitForReadyRead(int(answerMs - timer.elapsed()))) {
                    err << "zumsim: no answer to \"" << command << "\"\n";
                    return 2;
                }
                received += socket.readAll();
                continue;
            }
            const QByteArray answer = received.left(newline);
            received.remove(0, newline + 1);
            out << answer << "\n";
            last = isLastLine(answer);
            if (answer.startsWith("error: "))
                status = 1;
        }
        out.flush();
    }
    socket.disconnectFromServer();
    return status;
}

} // namespace sim
