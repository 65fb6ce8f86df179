#include "ValveCount.h"

#include "EepromInternal.h"
#include "FileIo.h"

#include <QMutexLocker>
#include <QStringList>

using eeprom::logLine;

ValveCount::ValveCount(QObject *parent)
    : QObject(parent)
{
    retry.setSingleShot(true);
    retry.setInterval(retryMs);
    connect(&retry, &QTimer::timeout, this, &ValveCount::readValve);
}

bool ValveCount::readValve()
{
    FileIo files;
    QString text;
    QString present;
    {
        // The name must be that of the chip just read.
        QMutexLocker locker(&eeprom::lock());
        text = files.jetValveReadEPROM();
        present = files.listedValveDevice();
    }
    const QStringList fields = text.split(QLatin1Char('#'));
    bool countOk = false;
    bool flagsOk = false;
    const qint64 count = fields.value(0).toLongLong(&countOk);
    const int readFlags = fields.value(1).toInt(&flagsOk);
    if (present.isEmpty() || fields.size() < 2 || !countOk || !flagsOk || readFlags < 0 || readFlags > 0xFF) {
        logLine(QStringLiteral(" readEpromCycleCountOnValveReplace() failed. : epromTotalCycles not updated"));
        retry.start();
        return false;
    }
    retry.stop();
    // A count the record reads as negative lies beyond what it can hold.
    const qint64 chip = count < 0 ? maxCount : qMin(count, maxCount);
    const bool sameChip = present == device;
    if (!device.isEmpty() && !sameChip) {
        if (pending > 0 && !files.raiseValveMirror(device, total(), chipFlags))
            qCWarning(lcEeprom).noquote() << "cycles of valve" << device << "lost: its mirror could not be written";
        qCInfo(lcEeprom).noquote() << "valve" << device << "replaced by" << present << "holding" << chip;
        pending = 0;
    }
    if (sameChip)
        pending = qMax<qint64>(0, total() - chip); // the larger of the two stands
    else
        pending = qMin(pending, maxCount - chip); // counted before any chip was read
    device = present;
    onChip = chip;
    chipFlags = readFlags;
    emit changed();
    if ((sameChip && pending > 0) || writeDue())
        writeHeld();
    return true;
}

void ValveCount::addCycles(double cycles)
{
    if (!(cycles >= 1))
        return; // nothing, a negative or not a number
    const qint64 added = cycles >= double(maxCount) ? maxCount : qint64(cycles);
    pending = qMin(pending + added, maxCount - onChip);
    emit changed();
    if (device.isEmpty()) {
        qCInfo(lcEeprom) << "valve count not read yet; pending:" << pending;
        return;
    }
    logLine(QStringLiteral(" writeCycleCountToEPROM() increment: ") + QString::number(added));
    logLine(QStringLiteral(" last eprom write for compare: ") + QString::number(onChip));
    logLine(QStringLiteral(" writeCycleCountToEPROM() total: ") + QString::number(total()));
    if (writeDue()) {
        logLine(QStringLiteral(" writing to EPROM"));
        writeHeld();
    }
}

bool ValveCount::writePending()
{
    return device.isEmpty() || pending == 0 || writeHeld();
}

// Every 20000 cycles, and once more when the total reaches the top of what
// the record holds.
bool ValveCount::writeDue() const
{
    return !device.isEmpty() && (pending >= writeStep || (total() == maxCount && pending > 0));
}

bool ValveCount::writeHeld()
{
    FileIo files;
    QMutexLocker locker(&eeprom::lock());
    const QString present = files.valveDevice();
    if (present != device) {
        locker.unlock();
        // Another valve takes over from its own count; without one the
        // cycles wait for the chip to be read again.
        if (!present.isEmpty()) {
            readValve();
        } else {
            setWriteFailed(true);
            retry.start();
        }
        return false;
    }
    const qint64 written = total();
    const bool ok = files.writeValveEPROM(device, QString::number(written) + QLatin1Char('#')
                                                      + QString::number(chipFlags));
    locker.unlock();
    if (ok) {
        onChip = written;
        pending = 0;
        emit changed();
    }
    setWriteFailed(!ok);
    return ok;
}

void ValveCount::setWriteFailed(bool failed)
{
    if (failed)
        qCWarning(lcEeprom).noquote() << "valve count" << total() << "could not be written to valve" << device;
    if (failed != lastWriteFailed) {
        lastWriteFailed = failed;
        emit changed();
    }
    if (failed)
        emit countWriteFailed();
}
