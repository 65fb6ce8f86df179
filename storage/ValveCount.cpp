#include "ValveCount.h"

#include "EepromInternal.h"
#include "EpromRecord.h"
#include "FileIo.h"

#include <QMutexLocker>
#include <QStringList>

using eeprom::logLine;

namespace {

// The count an intact mirror of the valve holds, -1 when there is none.
qint64 mirroredCount(FileIo &files, const QString &device)
{
    if (device.isEmpty())
        return -1;
    const RecordText mirror = RecordText::parse(files.read(QStringLiteral("/media/data/") + device + QStringLiteral("-1")));
    return mirror.intact && mirror.count >= 0 ? mirror.count : -1;
}

} // namespace

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
    QString looked;
    qint64 parked = -1;
    {
        // The name must be that of the chip just read. Its mirror may hold
        // cycles parked there while the valve was off.
        QMutexLocker locker(&eeprom::lock());
        looked = files.valveDevice();
        parked = mirroredCount(files, looked);
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
    // The largest of the chip's count, the mirror's and the total held here
    // stands; cycles counted before any chip was read come on top.
    const qint64 kept = qMax(chip, looked == present ? parked : -1);
    const qint64 target = sameChip ? qMax(total(), kept) : qMin(maxCount, kept + pending);
    device = present;
    onChip = chip;
    pending = target - chip;
    chipFlags = readFlags;
    emit changed();
    if (pending > 0)
        writeHeld();
    return true;
}

void ValveCount::followFittedValve()
{
    if (device.isEmpty())
        return;
    FileIo files;
    const QString present = files.valveDevice();
    if (!present.isEmpty() && present != device)
        readValve();
}

void ValveCount::addCycles(double cycles)
{
    if (!(cycles >= 1))
        return; // nothing, a negative or not a number
    // The cycles belong to the valve fitted now.
    followFittedValve();
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

// Called before a reboot: cycles the chip cannot take now (valve off, write
// refused) are parked in the valve's mirror, from which the next start's
// read takes them back, rather than lost with this process.
bool ValveCount::writePending()
{
    if (device.isEmpty() || pending == 0 || writeHeld())
        return true;
    if (pending > 0 && !FileIo().raiseValveMirror(device, total(), chipFlags))
        qCWarning(lcEeprom).noquote() << "cycles of valve" << device << "lost: its mirror could not be written";
    return false;
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
