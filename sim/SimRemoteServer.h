#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace sim {

// A stand-in for the remote monitoring server, listening on 127.0.0.1 only.
// It takes one console at a time, sends it requests and records every answer
// against the request that caused it. With the autopilot on it behaves like
// the real server: identification on connect, then a profile request once
// and data polls now and then.
class SimRemoteServer : public QObject
{
    Q_OBJECT

public:
    struct Exchange {
        QByteArray request;
        QByteArray answer;
    };

    explicit SimRemoteServer(QObject *parent = nullptr);
    ~SimRemoteServer() override;

    // Listens on 127.0.0.1 (port 0: a free port). False if that fails.
    bool start(quint16 port = 0);
    quint16 port() const;

    void setAutoPilot(bool on, int pollMs = 5000);

    bool hasClient() const;
    int connectionCount() const; // connections accepted so far
    // Sends one request to the console that is connected now.
    void send(const QByteArray &request);
    // Sends a request as soon as the console can take it on its own: at once
    // when it has answered the last request, else after its answer, or first
    // on its next connection (two requests in one read would be taken as
    // one). False when maxPending requests already wait.
    bool sendWhenReady(const QByteArray &request);
    int pendingCount() const { return pending.size(); }
    static constexpr int maxPending = 64;
    // Closes the current connection from the server's side.
    void dropClient();
    // Stops accepting new connections (the current one stays).
    void stopListening();

    QList<Exchange> exchanges() const { return log; }
    QByteArray lastAnswer() const;
    // Answers that carry a report: run and data packages, error reports.
    QList<QByteArray> reports() const;
    void clearExchanges() { log.clear(); }

    // Appends one line per request sent and per answer received to a file
    // (line breaks shown as \n, \r), for a person watching the demo.
    void setLogFile(const QString &path) { logPath = path; }

signals:
    void clientConnected();
    void clientDisconnected();
    void answerReceived(QByteArray request, QByteArray answer);

private:
    void acceptConnection();
    void readAnswer();
    void autoStep();
    void sendPending();
    void appendToLogFile(const char *direction, const QByteArray &bytes) const;

    QTcpServer *server;
    QTimer *pollTimer;
    QPointer<QTcpSocket> client;
    QList<Exchange> log;
    QList<QByteArray> pending;
    QString logPath;
    int accepted = 0;
    int autoSteps = 0;
    int unansweredTicks = 0;
    bool autoPilot = false;
};

} // namespace sim
