#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <mutex>

class QAbstractEventDispatcher;
class QTcpSocket;

// The client side of the remote monitoring link: keeps one TCP connection to
// the monitoring server and answers its requests. The server drives the
// dialogue; this thread only connects, waits and answers. Host, port, the
// stop and reconnect requests and the reports waiting for the server are
// shared with the user-interface thread under targetLock.
class CommClientThread : public QThread
{
    Q_OBJECT

public:
    // Pauses and waits of the session; tests may shorten them.
    struct Timing {
        int pauseMs = 2000;        // before each connection attempt and each wait for data
        int connectWaitMs = 50000; // for a connection to be made
        int dataWaitMs = 50000;    // for the server to say something
        int writeWaitMs = 10000;   // for an answer to leave
    };

    static constexpr int maxQueuedReports = 8;
    // Answers the server has not taken yet; past this it is not reading and
    // the connection is dropped.
    static constexpr qint64 maxBacklogBytes = 64 * 1024;
    // One read of the server's text; a request that fills it is refused.
    static constexpr qint64 maxRequestBytes = 64 * 1024;
    // EEPROM queries within this time are answered from the last read.
    static constexpr qint64 eepromCacheMs = 5000;
    // A server that says nothing for this many data waits in a row (about
    // 2.5 minutes with the program's waits) is taken as gone: the connection
    // is closed and made anew, as after a close by the server.
    static constexpr int maxSilentWaits = 3;
    // A peer that died, or a NAT entry dropped on the way, sends no close.
    // The kernel probes a connection idle for keepAliveIdleS every
    // keepAliveIntervalS and ends it when keepAliveProbes go unanswered, or
    // when an answer stays unacknowledged as long: within half a minute, even
    // in the middle of a 50 s data wait.
    static constexpr int keepAliveIdleS = 10;
    static constexpr int keepAliveIntervalS = 5;
    static constexpr int keepAliveProbes = 3;

    explicit CommClientThread(QObject *parent = nullptr);
    // Returns promptly: every wait of the session is cut short by the stop.
    ~CommClientThread() override;

    void setTiming(const Timing &timing);

    // Sets the server to talk to. A running session ends its connection (or
    // attempt) at once and connects to the new target without a pause; a
    // host that is not a dotted decimal IPv4 address or a port outside
    // 1-65535 leaves it offline until the next target.
    void setTarget(const QString &host, int port);

    // Shared data written on the user-interface thread.
    void queueReport(const QString &report); // keeps the newest maxQueuedReports
    void setLatestPackage(const QString &package);
    void setMacAddress(const QString &mac);
    QStringList queuedReports() const;

signals:
    void error(int socketError, QString message);
    void rxdData(QString data);
    void loadProfile(int profileName);
    void connectionStatus(bool status);

protected:
    void run() override;

private:
    // Feeds answer() without a socket (fuzz/fuzz_remote.cpp).
    friend struct RemoteAnswerProbe;

    enum class Interrupt { None, Stop, NewTarget };

    // Why a connection ended, as the error signal reports it.
    struct Ending {
        int code;
        QString text;
    };

    // Waits until done() holds (true), the time runs out (never for a
    // negative ms) or a stop or a new target is requested (false). Socket
    // events are handled meanwhile.
    bool waitFor(int ms, const std::function<bool()> &done);
    Interrupt pendingInterrupt() const;
    void wakeSession(); // with targetLock held

    Ending exchange(QTcpSocket &socket, int &silentWaits);
    static Ending timedOut();
    Timing currentTiming() const;
    QByteArray answer(const QByteArray &received, bool &sendLatestFirst);
    QByteArray answerProfileRequest(const QString &request);
    QByteArray answerUpload(const QString &request);
    QByteArray answerQuery(const QString &request);
    QByteArray answerPoll(bool &sendLatestFirst);
    QByteArray answerOther();

    mutable std::mutex targetLock; // a standard mutex, so thread checkers see it
    QString hostName;
    int port = 4900;
    bool quitRequested = false;
    bool newTargetRequested = false;
    Timing timing;
    QAbstractEventDispatcher *sessionDispatcher = nullptr; // set while run() runs
    QStringList outgoingQueue;
    QString latestPackage;
    QString clientMacAddress;

    // Client thread only.
    bool pollSeen = false;
    QString eepromRecord;
    QElapsedTimer eepromReadAge;
};
