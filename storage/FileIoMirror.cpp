// File mirror of each valve's EEPROM record in /media/data, named after the
// valve's 1-Wire device: refreshed from a good chip, used to restore a chip
// whose record stays corrupt, and reset together with the chip when neither
// can be trusted.
#include "FileIo.h"

#include "EepromInternal.h"
#include "EpromRecord.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>

using eeprom::logLine;

namespace {

enum Mode {
    CheckIntegrity = 0,
    RestoreDevice = 1,
    CreateOrUpdate = 2,
    ResetBoth = 3,
    ForceCreate = 4,
};

const char *const modeNames[] = {
    "READ_FILESYS_EPROM_CHECK_INTEGRITY",
    "READ_FILESYS_EPROM_WITH_DEVICE_RESTORE",
    "WRITE_FILESYS_EPROM_WITH_CREATE_OR_UPDATE",
    "RESET_FILESYS_EPROM_AND_DEVICE_EPROM_WITH_FLAG",
    "WRITE_FILESYS_EPROM_WITH_FORCE_CREATE_OR_REPLACE",
};

const QString dataDir = QStringLiteral("/media/data/");

enum class MirrorState { Missing, Corrupt, Intact };

} // namespace

QStringList FileIo::findMirrors(const QString &mirrorName, bool logEachMatch)
{
    QStringList matches;
    // Exact names only: a device name can hold "*" when no valve is fitted.
    const QDir dir(QDir::cleanPath(platform::sysPath(QStringLiteral("/media/data"))));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName() != mirrorName)
            continue;
        matches.append(dataDir + mirrorName);
        if (logEachMatch)
            logLine(QStringLiteral(" matchingFileList: ") + matches.join(QStringLiteral(", ")));
    }
    return matches;
}

int FileIo::epromFromFilesys(int mode, int *cycleCount, unsigned char *flags, QString *returnData)
{
    if (mode < CheckIntegrity || mode > ForceCreate) {
        qCWarning(lcEeprom) << "unknown mirror mode" << mode;
        return -1;
    }
    QMutexLocker locker(&eeprom::lock());
    int countIn = 0;
    unsigned char flagsIn = 0;
    if (!cycleCount)
        cycleCount = &countIn;
    if (!flags)
        flags = &flagsIn;

    logLine(QStringLiteral("epromFromFilesys(%1)").arg(QLatin1String(modeNames[mode])));
    refreshDeviceListing();
    const QString device = deviceNameOf(readDeviceListing());
    if (device.isEmpty()) {
        // Without a device name there is no mirror to read or write and no chip to write.
        qCWarning(lcEeprom) << "no valve device listed; mirror step skipped";
        return mode == RestoreDevice ? -4 : mode == ResetBoth ? -5 : -3;
    }
    const QString mirrorName = device + QStringLiteral("-1");
    logLine(QStringLiteral("eprom filename: ") + mirrorName);

    const QStringList found = findMirrors(mirrorName, false);
    MirrorState state = MirrorState::Missing;
    RecordText mirror;
    QString mirrorText;
    if (found.isEmpty()) {
        if (mode == CheckIntegrity)
            return -3;
        if (mode == RestoreDevice)
            return -4;
    } else {
        logLine(QStringLiteral("matching file: ") + found.first());
        QFile probe(platform::sysPath(found.first()));
        if (!probe.open(QIODevice::ReadOnly)) {
            logLine(QStringLiteral("Could not open epromFileInFilesys to be read"));
            state = MirrorState::Corrupt;
        } else {
            probe.close();
            const QString data = read(found.first());
            logLine(QStringLiteral("fileData read ") + data);
            mirrorText = data;
            mirror = RecordText::parse(data);
            state = mirror.intact ? MirrorState::Intact : MirrorState::Corrupt;
            if (!mirror.intact)
                logLine(QStringLiteral("CRC mismatch (data corrupt) ") + data);
        }
    }
    if (state == MirrorState::Corrupt && (mode == CheckIntegrity || mode == RestoreDevice))
        return -2;
    if (state == MirrorState::Intact && mode == CheckIntegrity)
        return 0;

    if (mode == RestoreDevice || mode == ResetBoth) {
        EpromRecord record;
        if (mode == RestoreDevice) {
            logLine(QStringLiteral("EPROM CORRUPT.  RECREATING FROM FILE"));
            record = EpromRecord::make(mirror.count, mirror.flags);
        } else {
            logLine(QStringLiteral("EPROM AND FILE MISSING OR CORRUPT.  RECREATING BOTH WITH FLAG"));
            record = EpromRecord::make(0, 1);
            write(dataDir + mirrorName, record.text());
        }
        *cycleCount = record.signedCount();
        *flags = record.flags;
        if (returnData) {
            // Fields 0 and 1 always name what is now on the chip; the failed
            // read stays behind them for the record.
            static const QRegularExpression goodPrefix(QStringLiteral("^[0-9]+#[0-9]+#[0-9]+#"));
            const QRegularExpressionMatch old = goodPrefix.match(*returnData);
            if (old.hasMatch())
                returnData->remove(0, old.capturedLength());
            returnData->prepend(record.text() + QLatin1Char('#'));
        }
        refreshDeviceListing();
        return writeChipRecord(record);
    }

    logLine(QStringLiteral("CREATE or UPDATE"));
    const EpromRecord record = EpromRecord::make(*cycleCount, *flags);
    // Rewriting the text the mirror already holds would only wear the flash.
    const bool rewrite = state == MirrorState::Missing || (state == MirrorState::Corrupt && mirror.fieldCount >= 3)
                         || mode == ForceCreate || *cycleCount > 0;
    // An intact mirror above the chip holds cycles parked for this valve
    // while it was off: a read only ever raises it.
    const bool parked = state == MirrorState::Intact && mirror.count > *cycleCount;
    if (!rewrite || (mode != ForceCreate && state == MirrorState::Intact && (mirrorText == record.text() || parked))) {
        logLine(QStringLiteral("FILESYS file exists and counts are equal -- no update"));
        return 0;
    }
    logLine(QStringLiteral("writing file with data: ") + record.text());
    write(dataDir + mirrorName, record.text());
    return 0;
}

void FileIo::reconcileAfterRead(int count, unsigned char flags, bool crcGood, QString *result)
{
    const int check = epromFromFilesys(CheckIntegrity, &count, &flags, result);
    logLine(check == 0 ? QStringLiteral("fileReadResult: success") : QStringLiteral("fileReadResult: fail"));
    if (check == 0 && crcGood) {
        logLine(QStringLiteral("good device crc, and good file crc, possibly update the file if cycle count has "
                               "increased"));
        epromFromFilesys(CreateOrUpdate, &count, &flags, result);
    } else if (check == 0) {
        logLine(QStringLiteral("bad device crc, but good file crc, restore device"));
        epromFromFilesys(RestoreDevice, &count, &flags, result);
    } else if (crcGood) {
        logLine(QStringLiteral("good device crc, but bad file crc (or file does not exist, create or restore the "
                               "file from device)"));
        epromFromFilesys(CreateOrUpdate, &count, &flags, result);
    } else {
        logLine(QStringLiteral("bad device crc, and bad file crc, reset both to default"));
        epromFromFilesys(ResetBoth, &count, &flags, result);
    }
}

// The verified record goes to the mirror in its canonical text form, so an
// odd but accepted command ("12345#1#x", " 12345#1") cannot leave a mirror
// that later fails its own check.
void FileIo::updateMirrorAfterWrite(const QString &listing, const EpromRecord &record)
{
    const QString device = deviceNameOf(listing);
    if (device.isEmpty()) {
        qCWarning(lcEeprom) << "no valve device listed; mirror not updated";
        return;
    }
    const QString mirrorName = device + QStringLiteral("-1");
    logLine(QStringLiteral("filenamelist: ") + mirrorName);
    const QStringList found = findMirrors(mirrorName, true);
    if (found.isEmpty()) {
        logLine(QStringLiteral("COULD NOT FIND EPROM FILE!!!"));
        return;
    }
    logLine(QStringLiteral("matching file: ") + found.first());
    const QString text = record.text();
    logLine(QStringLiteral("The string to write to file: ") + text);
    const QString path = dataDir + mirrorName;
    logLine(QStringLiteral("The Path: ") + path);
    writeIfChanged(path, text);
}

bool FileIo::raiseValveMirror(const QString &device, qint64 count, int flags)
{
    if (!eeprom::isValveDeviceName(device) || count < 0 || flags < 0 || flags > 0xFF)
        return false;
    QMutexLocker locker(&eeprom::lock());
    const QString path = dataDir + device + QStringLiteral("-1");
    const RecordText stored = RecordText::parse(read(path));
    const int32_t kept = static_cast<int32_t>(qMin<qint64>(count, INT32_MAX));
    if (stored.intact && stored.count >= kept)
        return true;
    const EpromRecord record = EpromRecord::make(kept, static_cast<uint8_t>(flags));
    qCInfo(lcEeprom).noquote() << "mirror of valve" << device << "raised to" << record.text();
    return write(path, record.text());
}
