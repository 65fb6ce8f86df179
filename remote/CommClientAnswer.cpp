// How the session answers each request of the monitoring server.
#include "CommClientThread.h"

#include "FileIo.h"
#include "PushedProfile.h"
#include "RemoteMessages.h"


QByteArray CommClientThread::answer(const QByteArray &received, bool &sendLatestFirst)
{
    const QString request = remote::cleanRequest(received);
    // A read that fills the socket's buffer is longer than any request.
    if (received.size() >= maxRequestBytes) {
        qCWarning(lcRemote).noquote() << "refused over-long request" << remote::loggable(request);
        if (remote::requestKind(request) == remote::RequestKind::ProfileUpload)
            return remote::uploadFailedAnswer;
        return remote::nothingAnswer;
    }
    switch (remote::requestKind(request)) {
    case remote::RequestKind::Identification: {
        std::lock_guard<std::mutex> locker(targetLock);
        return remote::identificationAnswer(clientMacAddress);
    }
    case remote::RequestKind::ProfileRequest:
        return answerProfileRequest(request);
    case remote::RequestKind::ProfileUpload:
        return answerUpload(request);
    case remote::RequestKind::Query:
        return answerQuery(request);
    case remote::RequestKind::DataPoll:
        return answerPoll(sendLatestFirst);
    case remote::RequestKind::Other:
        break;
    }
    return answerOther();
}

// The number becomes part of a file name, so only 1 to 50 is looked up.
QByteArray CommClientThread::answerProfileRequest(const QString &request)
{
    const int n = remote::profileNumber(request.section(QLatin1Char('@'), 1, 1));
    if (n == 0) {
        qCWarning(lcRemote).noquote() << "refused profile request" << remote::loggable(request);
        return remote::noProfileAnswer;
    }
    FileIo files;
    const QString profile = files.read(remote::profilePath(n));
    if (profile.isEmpty())
        return remote::noProfileAnswer;
    return profile.toUtf8();
}

// Only a profile of profile size, under an accepted number and with its
// values within their limits replaces the stored one; anything else would
// stay on the flash to be loaded later, land elsewhere or fill the flash.
QByteArray CommClientThread::answerUpload(const QString &request)
{
    const QStringList fields = request.split(QLatin1Char('#'));
    const int n = remote::profileNumber(fields.value(1));
    QString problem;
    QString stored;
    if (n == 0)
        problem = QStringLiteral("no profile number 1 to 50");
    else if (fields.size() < 3)
        problem = QStringLiteral("no profile");
    else if (fields.at(2).toUtf8().size() > remote::maxUploadBytes)
        problem = QStringLiteral("longer than a profile");
    else
        problem = remote::pushedProfileProblem(fields.at(2), n, &stored);
    if (!problem.isEmpty()) {
        qCWarning(lcRemote).noquote() << "refused profile upload (" + problem + "):" << remote::loggable(request);
        return remote::uploadFailedAnswer;
    }
    FileIo files;
    if (!files.write(remote::profilePath(n), stored))
        return remote::uploadFailedAnswer;
    emit loadProfile(n);
    return remote::uploadOkAnswer;
}

QByteArray CommClientThread::answerQuery(const QString &request)
{
    const QStringList fields = request.split(QLatin1Char('#'));
    if (fields.size() < 2 || fields.at(1) != QLatin1String("EPROM"))
        return remote::invalidQueryAnswer;
    // A server polling every few seconds would otherwise start shells,
    // rewrite the listing files and hold the EEPROM lock the pages need.
    if (!eepromReadAge.isValid() || eepromReadAge.hasExpired(eepromCacheMs)) {
        FileIo files;
        eepromRecord = files.jetValveReadEPROM();
        eepromReadAge.start();
    }
    return remote::eepromAnswer(eepromRecord);
}

// After a (re)connection the server first gets the latest run package, so
// it learns the current profile even when no report is queued.
QByteArray CommClientThread::answerPoll(bool &sendLatestFirst)
{
    pollSeen = true;
    std::lock_guard<std::mutex> locker(targetLock);
    if (sendLatestFirst) {
        if (latestPackage == QLatin1String(remote::noPackage))
            return remote::nothingAnswer;
        sendLatestFirst = false;
        return latestPackage.toUtf8();
    }
    if (outgoingQueue.isEmpty())
        return remote::nothingAnswer;
    return outgoingQueue.takeFirst().toUtf8();
}

QByteArray CommClientThread::answerOther()
{
    std::lock_guard<std::mutex> locker(targetLock);
    if (pollSeen && !outgoingQueue.isEmpty()) {
        pollSeen = false;
        return remote::framedReport(outgoingQueue.takeFirst()).toUtf8();
    }
    return remote::nothingAnswer;
}
