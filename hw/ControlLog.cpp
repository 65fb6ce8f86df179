#include "Control.h"

#include "Platform.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

QString Control::debugTimeLine(const QTime &now)
{
    // Counted from a fixed time of day so records of one run can be compared.
    static const QTime reference =
        QDateTime::fromString(QStringLiteral("1970-07-18T14:15:09"), Qt::ISODate).time();
    return QStringLiteral("Time :") + now.toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(" ( ms : ")
        + QString::number(reference.msecsTo(now)) + QStringLiteral(" )");
}

void Control::writeDebugFile(const QString &data)
{
    QFile file(platform::sysPath(QLatin1String(debugLogPath)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << QString(54, QLatin1Char('-')) << '\n';
    out << debugTimeLine(QTime::currentTime()) << '\n';
    out << data << '\n';
}
