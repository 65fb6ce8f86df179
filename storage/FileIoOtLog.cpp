// Over-temperature event log: the last 100 heater and temperature faults in
// a fixed-width text file, at most one event a minute.
#include "FileIo.h"

#include "EepromInternal.h"
#include "Platform.h"

#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <shared_mutex>

using eeprom::logLine;

namespace {

const QString logPath = QStringLiteral("/media/data/ot.log");
const QString lastEventPath = QStringLiteral("/media/data/otdate.dat");
const QString nowPath = QStringLiteral("/media/data/otdate_compare.dat");
constexpr int headerLines = 3;
constexpr int maxLines = headerLines + 100;
constexpr int minSpacingSeconds = 60;

QString header()
{
    return QStringLiteral("Overtemp Errors\n"
                          "E HT  ACTIVE  SP   TMP  VALVE              TS        \n"
                          "-----------------------------------------------------\n");
}

QString eventLine(int errorType, bool heatingOn, bool heatingActive, int setpoint, int temperature,
                  const QString &valve, const QString &timeStamp)
{
    QString line = errorType >= 0 && errorType <= 4 ? QString::number(errorType) + QLatin1Char(' ')
                                                    : QStringLiteral("? ");
    line += heatingOn ? QStringLiteral("ON  ") : QStringLiteral("OFF ");
    line += heatingActive ? QStringLiteral("HEATING ") : QStringLiteral("IDLE    ");
    line += QString::number(setpoint).leftJustified(5);
    line += QString::number(temperature).leftJustified(5);
    line += valve.isEmpty() ? QString(19, QLatin1Char(' ')) : valve + QStringLiteral("    ");
    return line + timeStamp + QLatin1Char('\n');
}

// Replaces a file so that a power cut leaves either the old or the new text.
bool replaceFile(const QString &boardPath, const QByteArray &bytes, bool logSteps)
{
    std::shared_lock<std::shared_timed_mutex> saving(MemoryOp::saveLock());
    QSaveFile file(platform::sysPath(boardPath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered)) {
        qCWarning(lcEeprom) << "cannot open" << boardPath << "for writing:" << file.errorString();
        return false;
    }
    file.write(bytes);
    if (logSteps)
        logLine(QStringLiteral("opened & written"));
    const bool committed = file.commit();
    if (logSteps)
        logLine(committed ? QStringLiteral("committed") : QStringLiteral("commit error"));
    return committed;
}

// The log's text without its `count` oldest events; the header always stays.
QString withoutOldestEvents(QString text, int count)
{
    QStringList lines;
    QTextStream stream(&text, QIODevice::ReadOnly);
    while (!stream.atEnd())
        lines.append(stream.readLine());
    for (int i = 0; i < count; ++i) {
        logLine(QStringLiteral("removing: ") + lines.value(headerLines));
        if (lines.size() > headerLines)
            lines.removeAt(headerLines);
    }
    QString kept;
    for (const QString &line : qAsConst(lines))
        kept += line + QLatin1Char('\n');
    return kept;
}

} // namespace

void FileIo::ensureOverTemperatureLog()
{
    platform::removeFiles(QStringLiteral("/media/data/otdate.dat"));
    if (QFile::exists(platform::sysPath(logPath)))
        return;
    logLine(QStringLiteral("ot.log DNE, creating!!!"));
    replaceFile(logPath, header().toLatin1(), false);
}

void FileIo::logOverTemperatureEvent(int errorType, bool heatingOn, bool heatingActive, int setpoint,
                                     int temperature)
{
    if (!QFile::exists(platform::sysPath(lastEventPath))) {
        logLine(QStringLiteral("old date DNE"));
    } else {
        exeSys(QStringLiteral("date +%s > /media/data/otdate_compare.dat"));
        bool lastOk = false, nowOk = false;
        const qint64 last = read(lastEventPath).trimmed().toLongLong(&lastOk);
        const qint64 now = read(nowPath).trimmed().toLongLong(&nowOk);
        logLine(QStringLiteral("SECONDS diff:  ") + QString::number(now - last));
        exeSys(QStringLiteral("rm -f /media/data/otdate_compare.dat"));
        // A clock set back or an unreadable time must not silence the log
        // for the rest of the run: only a real, recent event suppresses.
        const bool recent = lastOk && nowOk && now >= last && now - last < minSpacingSeconds;
        if (recent) {
            logLine(QStringLiteral("Ot Event Too Close to Last One, Not Updating"));
            return;
        }
    }

    // The oldest events go in the same replace that adds the new one: a
    // power cut in between must not leave a log that lost them and never
    // got the new event.
    const int lines = countFileLines(logPath);
    logLine(QStringLiteral("ot.log has %1 lines!!!!").arg(lines));
    QString text = read(logPath);
    if (lines > maxLines - 1) {
        logLine(QStringLiteral("to many, removing the first %1 lines!!!!").arg(lines - (maxLines - 1)));
        text = withoutOldestEvents(text, lines - (maxLines - 1));
    }
    QString listing;
    {
        // The listing is shared with the EEPROM code, which may be reading
        // the chip on the remote-link thread right now.
        QMutexLocker locker(&eeprom::lock());
        refreshDeviceListing();
        exeSys(QStringLiteral("date +%s > /media/data/otdate.dat"));
        listing = read(QStringLiteral("/media/data/HHWP")).remove(QLatin1Char('\n'));
    }
    const QString realMaster = platform::sysPath(eeprom::masterDir());
    listing.replace(realMaster, eeprom::masterDir());
    const QString timeStamp = read(lastEventPath).remove(QLatin1Char('\n'));
    const QStringList pieces = listing.split(QStringLiteral("w1_bus_master1/"));
    currentValveEpromFilename = pieces.value(1);
    logLine(QStringLiteral(" appending currentValveEpromFilename: ") + currentValveEpromFilename);

    text += eventLine(errorType, heatingOn, heatingActive, setpoint, temperature, currentValveEpromFilename,
                      timeStamp);
    replaceFile(logPath, text.toLatin1(), true);
}

int FileIo::countFileLines(QString path)
{
    QFile file(platform::sysPath(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QTextStream stream(&file);
    int lines = 0;
    while (!stream.atEnd()) {
        stream.readLine();
        ++lines;
    }
    return lines;
}

// Oldest events go first; the header always stays. The shortened log is
// written through a replace rather than truncated in place, so a power cut
// cannot leave an empty log.
void FileIo::removeEventLines(QString path, int count)
{
    QFile file(platform::sysPath(path));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text))
        return;
    const QString text = QString::fromLatin1(file.readAll());
    file.close();
    replaceFile(path, withoutOldestEvents(text, count).toLatin1(), false);
}

void FileIo::copyOTLogToUSB()
{
    logLine(QStringLiteral("COPY ot.log to USB!!!"));
    mountUsb();
    exeSys(QStringLiteral("cp -f /media/data/ot.log /media/usb"));
    unMountUsb();
}
