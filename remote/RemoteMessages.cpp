#include "RemoteMessages.h"

#include <QStringList>

Q_LOGGING_CATEGORY(lcRemote, "zum.remote")

namespace remote {

const char noProfileAnswer[] = "NO_STORED_PROFILE_FOUND";
const char invalidQueryAnswer[] = "INVALID COMM";
const char uploadOkAnswer[] = "ZUM_TXN_OK\n";
const char uploadFailedAnswer[] = "WRITE_FAILED\n";
const char nothingAnswer[] = "NOP\n";
const char noPackage[] = "NONE";

QString runPackage(const QString &host, const QString &mac, const QString &systemCode,
                   const QString &profileName, const QString &dat)
{
    return QLatin1String("#START#") + host + QLatin1Char('#') + mac + QLatin1Char('#') + systemCode
        + QLatin1Char('#') + profileName + QLatin1Char('#') + dat + QLatin1String("#STOP#\n");
}

QString dataPackage(const QString &host, const QString &mac, const QString &systemCode,
                    const QString &miscData)
{
    return QLatin1String("#STARTDATA#") + host + QLatin1Char('#') + mac + QLatin1Char('#') + systemCode
        + QLatin1Char('#') + miscData + QLatin1String("#STOPDATA#\n");
}

QString errorReport(const QString &mac, const QString &systemCode, const QString &severity,
                    const QString &errorCode)
{
    return QLatin1String("#ERR#") + mac + QLatin1Char('#') + systemCode + QLatin1Char('#') + severity
        + QLatin1Char('#') + errorCode + QLatin1String("#ERR#\n");
}

QString errorClear(const QString &mac, const QString &systemCode)
{
    return errorReport(mac, systemCode, QStringLiteral("9"), QStringLiteral("0"));
}

QString cleanRequest(const QByteArray &received)
{
    const int end = received.indexOf('\0');
    QString text = QString::fromUtf8(end < 0 ? received : received.left(end));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\t'));
    return text;
}

RequestKind requestKind(const QString &request)
{
    if (request.startsWith(QLatin1String("ZUM_CLIENT_REQ_IDENTIFICATION")))
        return RequestKind::Identification;
    if (request.startsWith(QLatin1Char('@')))
        return RequestKind::ProfileRequest;
    if (request.startsWith(QLatin1Char('#')))
        return RequestKind::ProfileUpload;
    if (request.startsWith(QLatin1String("GET")))
        return RequestKind::Query;
    if (request.startsWith(QLatin1String("ZUM_IOT_REQ")))
        return RequestKind::DataPoll;
    return RequestKind::Other;
}

int profileNumber(const QString &field)
{
    if (field.isEmpty() || field.size() > 3)
        return 0;
    for (const QChar c : field) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const int n = field.toInt();
    return n >= 1 && n <= 50 ? n : 0;
}

QString loggable(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line
            && category != QChar::Separator_Paragraph)
            shown.append(c);
        if (shown.size() == 80)
            break;
    }
    return shown;
}

QString profilePath(int n)
{
    return QStringLiteral("/media/data/%1JV.profile").arg(n);
}

QString framedReport(const QString &report)
{
    return QLatin1String("#START#") + report + QLatin1String("#STOP#\n");
}

QByteArray identificationAnswer(const QString &mac)
{
    return "ZUM_START_COMM_OK" + mac.toLatin1() + '\n';
}

QByteArray eepromAnswer(const QString &record)
{
    const QStringList fields = record.split(QLatin1Char('#'));
    const QString count = fields.value(0);
    const QString flags = fields.value(1);
    return "\nCC: " + count.toUtf8() + " | CF : " + flags.toUtf8() + "\r\n";
}

} // namespace remote
