// Reports for the remote monitoring server: run and data packages, and the
// error bookkeeping that lets one error be reported at a time.
#include "ThreadHandler.h"

#include "RemoteMessages.h"

#include <QDebug>

void ThreadHandler::tramsmitIOTPackage(QString profileName, QString dat)
{
    const QString package = remote::runPackage(iotHostName, iotMacAddress, systemCode, profileName, dat);
    commClient.updateLatestProfileToThread(package);
    commClient.transmitIOTData(package);
}

void ThreadHandler::transmitMISCPackage(QString miscData)
{
    commClient.transmitIOTData(remote::dataPackage(iotHostName, iotMacAddress, systemCode, miscData));
}

void ThreadHandler::transmitErrorCodes(QString sev, QString err)
{
    if (activeErrorCode != QLatin1String("0"))
        return;
    commClient.transmitIOTData(remote::errorReport(iotMacAddress, systemCode, sev, err));
    activeErrorCode = err;
    qDebug().noquote() << QStringLiteral("transmitErrorCodes : Error Code ") + err;
}

void ThreadHandler::clearErrorCodes(QString errorCode)
{
    if (errorCode != activeErrorCode)
        return;
    commClient.transmitIOTData(remote::errorClear(iotMacAddress, systemCode));
    activeErrorCode = QStringLiteral("0");
    qDebug().noquote() << QStringLiteral("clearErrorCodes : Error Code ") + errorCode;
}
