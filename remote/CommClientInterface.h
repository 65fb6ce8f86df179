#pragma once

#include "CommClientThread.h"

#include <QObject>
#include <QString>

// The user-interface side of the remote monitoring link: hands reports and
// the console's identity to the client thread, points it at a server and
// turns the thread's results into its own signals.
class CommClientInterface : public QObject
{
    Q_OBJECT

public:
    explicit CommClientInterface(QObject *parent = nullptr);
    ~CommClientInterface() override;

    // Shortened pauses and waits for tests.
    void setTiming(const CommClientThread::Timing &timing);
    // Reports waiting for the server's poll, oldest first.
    QStringList queuedReports() const;

signals:
    void loadProfile(int profileName);
    void connectionStatus(bool onlineStatus);

public slots:
    // Returns at once; the client leaves any running connection and talks to
    // this host and port from now on. An address or port it cannot use (see
    // CommClientThread::setTarget) leaves it offline.
    void requestNewConnection(QString hostName, int port);
    void handleData(QString inputdata);
    void handleError(int error, QString message);
    void transmitIOTData(QString dat);
    void updateMcAdd(QString mc);
    void requestLoadProfile(int p);
    void updateOnlineStatus(bool onlineState);
    void updateLatestProfileToThread(QString profileData);

private:
    CommClientThread clientThread;
};
