#include "CommClientInterface.h"

#include "RemoteMessages.h"
#include "ServerAddress.h"

#include <QDebug>

CommClientInterface::CommClientInterface(QObject *parent)
    : QObject(parent)
{
    connect(&clientThread, &CommClientThread::rxdData, this, &CommClientInterface::handleData,
            Qt::QueuedConnection);
    connect(&clientThread, &CommClientThread::error, this, &CommClientInterface::handleError,
            Qt::QueuedConnection);
    connect(&clientThread, &CommClientThread::loadProfile, this, &CommClientInterface::requestLoadProfile,
            Qt::QueuedConnection);
    connect(&clientThread, &CommClientThread::connectionStatus, this, &CommClientInterface::updateOnlineStatus,
            Qt::QueuedConnection);
}

CommClientInterface::~CommClientInterface() = default;

void CommClientInterface::setTiming(const CommClientThread::Timing &timing)
{
    clientThread.setTiming(timing);
}

QStringList CommClientInterface::queuedReports() const
{
    return clientThread.queuedReports();
}

void CommClientInterface::requestNewConnection(QString hostName, int port)
{
    qDebug().noquote() << QStringLiteral("requestNewConnection: Starting a new thread");
    if (remote::serverAddress(hostName).isNull() || !remote::isServerPort(port))
        qCWarning(lcRemote).noquote() << "server" << remote::loggable(hostName) << "port" << port
                                      << "not usable; the remote link stays offline";
    clientThread.setTarget(hostName, port);
    clientThread.start(QThread::LowPriority);
}

void CommClientInterface::handleData(QString inputdata)
{
    Q_UNUSED(inputdata);
}

void CommClientInterface::handleError(int error, QString message)
{
    Q_UNUSED(error);
    Q_UNUSED(message);
    emit connectionStatus(false);
}

void CommClientInterface::transmitIOTData(QString dat)
{
    clientThread.queueReport(dat);
}

void CommClientInterface::updateMcAdd(QString mc)
{
    clientThread.setMacAddress(mc);
}

void CommClientInterface::requestLoadProfile(int p)
{
    emit loadProfile(p);
}

void CommClientInterface::updateOnlineStatus(bool onlineState)
{
    emit connectionStatus(onlineState);
}

void CommClientInterface::updateLatestProfileToThread(QString profileData)
{
    clientThread.setLatestPackage(profileData);
}
