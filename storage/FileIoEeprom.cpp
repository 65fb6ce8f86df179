// Valve EEPROM: the 7-byte record on the valve's 1-Wire chip, read, checked,
// converted from the old text format and written with verification.
#include "FileIo.h"

#include "EepromInternal.h"
#include "EpromLegacyText.h"
#include "EpromRecord.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcEeprom, "zum.storage.eeprom")

namespace eeprom {

QRecursiveMutex &lock()
{
    static QRecursiveMutex mutex;
    return mutex;
}

} // namespace eeprom

using eeprom::logLine;

namespace {

constexpr int readAttempts = 7;
constexpr int silentReads = 5;
// Reads after the silent ones are logged; a chip that still fails after
// these ends the attempt instead of blocking the caller for good.
constexpr int maxReads = silentReads + 5;
constexpr int legacyReads = 6;
constexpr int writePasses = 10;
const char *const badCrcMarker = "-294967296";

// Set while a verified write runs; a nested write from the same call chain
// (the recursive lock lets it in) must not start a second one.
std::atomic<bool> writeInProgress{false};

// The chip is a sysfs file: opened without O_CREAT or O_TRUNC, always
// accessed at offset 0.
int openChip(const QString &boardPath, int mode)
{
    const QByteArray path = QFile::encodeName(platform::sysPath(boardPath));
    int fd;
    do {
        fd = ::open(path.constData(), mode | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t readAt0(int fd, unsigned char *buffer, size_t size)
{
    ssize_t got;
    do {
        got = ::pread(fd, buffer, size, 0);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool writeAt0(int fd, const QByteArray &bytes)
{
    ssize_t put;
    do {
        put = ::pwrite(fd, bytes.constData(), static_cast<size_t>(bytes.size()), 0);
    } while (put < 0 && errno == EINTR);
    return put == bytes.size();
}

QString withValue(const char *text, const QString &value)
{
    return QLatin1String(text) + value;
}

// Hands the device names seen last time to the bus master's remove file,
// as "cat /media/data/lastHHWP > .../w1_master_remove" would, in process:
// the callers hold the EEPROM lock, on the window thread among others.
void removeListedDevice()
{
    QFile names(platform::sysPath(QStringLiteral("/media/data/lastHHWP")));
    QFile remove(platform::sysPath(eeprom::masterDir() + QStringLiteral("w1_master_remove")));
    if (!names.open(QIODevice::ReadOnly) || !remove.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || remove.write(names.readAll()) < 0)
        qCWarning(lcEeprom) << "could not ask the bus master to remove the previous valve";
}

} // namespace

// The text "echo /sys/devices/w1_bus_master1/2d* > /media/data/HHWP" would
// leave, built here so that an unchanged bus rewrites nothing: a console
// without a valve looks every 10 s.
void FileIo::refreshDeviceListing()
{
    const QString master = platform::sysPath(eeprom::masterDir());
    QStringList names = QDir(master).entryList(QStringList(QStringLiteral("2d*")),
                                               QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot
                                                   | QDir::CaseSensitive,
                                               QDir::NoSort);
    std::sort(names.begin(), names.end());
    for (QString &name : names)
        name.prepend(master);
    const QString listing = (names.isEmpty() ? master + QStringLiteral("2d*") : names.join(QLatin1Char(' ')))
                            + QLatin1Char('\n');
    writeIfChanged(QStringLiteral("/media/data/HHWP"), listing);
}

void FileIo::writeIfChanged(const QString &name, const QString &contents)
{
    if (read(name) != contents)
        write(name, contents);
}

// The listing holds real paths; off the board they sit under the root
// prefix, which is taken off here so the text reads as on the board.
QString FileIo::readDeviceListing()
{
    QString listing = read(QStringLiteral("/media/data/HHWP"));
    const QString realMaster = platform::sysPath(eeprom::masterDir());
    if (realMaster != eeprom::masterDir())
        listing.replace(realMaster, eeprom::masterDir());
    return listing;
}

QString FileIo::eepromPathOf(const QString &listing)
{
    static const QRegularExpression breaks(QStringLiteral("[\n\t\r]"));
    return QString(listing).remove(breaks) + QStringLiteral("/eeprom");
}

QString FileIo::deviceNameOf(const QString &listing)
{
    static const QRegularExpression breaks(QStringLiteral("[\n\t\r]"));
    const QStringList pieces = QString(listing).remove(breaks).split(QStringLiteral("w1_bus_master1/"));
    return pieces.size() < 2 ? QString() : pieces.at(1);
}

FileIo::ChipRead FileIo::readChipPass(const QString &eepromPath, unsigned char *record)
{
    const int fd = openChip(eepromPath, O_RDONLY);
    if (fd < 0)
        return ChipRead::CannotOpen;
    bool ok = false;
    for (int reads = 1; reads <= maxReads && !ok; ++reads) {
        std::memset(record, 0, EpromRecord::size);
        ok = readAt0(fd, record, EpromRecord::size) == EpromRecord::size;
        if (reads > silentReads)
            logLine(QStringLiteral("**Epromfile Read Retry**"));
    }
    ::close(fd);
    if (!ok)
        std::memset(record, 0, EpromRecord::size); // a partial record means nothing
    return ok ? ChipRead::Ok : ChipRead::Failed;
}

bool FileIo::writeChipTwice(const QString &eepromPath, const EpromRecord &record, bool announce)
{
    const QByteArray bytes = record.toBytes();
    for (int pass = 0; pass < 2; ++pass) {
        const int fd = openChip(eepromPath, O_WRONLY);
        if (fd < 0) {
            logLine(QStringLiteral("Could not open file to be written"));
            return false;
        }
        if (announce && pass == 0)
            logLine(QStringLiteral("DATA TO WRITE TO FILE:"));
        const bool written = writeAt0(fd, bytes);
        ::close(fd);
        if (!written) {
            qCWarning(lcEeprom) << "valve EEPROM refused the record" << bytes.toHex(' ');
            return false;
        }
    }
    return true;
}

int FileIo::writeChipRecord(const EpromRecord &record)
{
    const QString path = eepromPathOf(readDeviceListing());
    logLine(QStringLiteral("write Iterations: 1"));
    return writeChipTwice(path, record, true) ? 0 : -5;
}

int FileIo::writeEpromRecord(int count)
{
    QMutexLocker locker(&eeprom::lock());
    if (count == -1) {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        count = 500000000 + std::rand() % 100000001;
    }
    return writeChipRecord(EpromRecord::make(count, 1));
}

int FileIo::checkForLegacyEeprom()
{
    QMutexLocker locker(&eeprom::lock());
    const QString path = eepromPathOf(readDeviceListing());
    logLine(withValue("in checkForLegacyEeprom(), wpath:  ", path));
    logLine(withValue("checkForLegacyEeprom(): read eeprom ", path));
    const int fd = openChip(path, O_RDONLY);
    if (fd < 0) {
        logLine(withValue("checkForLegacyEeprom(): Could not open file to be read ", path));
        return -1;
    }
    unsigned char bytes[128];
    ssize_t got = -1;
    for (int reads = 1; reads <= legacyReads && got < 0; ++reads) {
        got = readAt0(fd, bytes, sizeof bytes);
        logLine(withValue("checkForLegacyEeprom(): badReadCount ", QString::number(reads)));
    }
    ::close(fd);
    if (got < 0) {
        logLine(QStringLiteral("**Epromfile Read Retry -- Too many tries**"));
        return -2;
    }
    const EpromLegacyText legacy = EpromLegacyText::parse(bytes, static_cast<int>(got));
    const int hashAt = legacy.hashAt < 0 ? static_cast<int>(sizeof bytes) : legacy.hashAt;
    logLine(withValue("FOUND # AT POSITION:  ", QString::number(hashAt)));
    switch (legacy.kind) {
    case EpromLegacyText::Kind::NoCount:
        writeEpromRecord(-1);
        return -2;
    case EpromLegacyText::Kind::NotACount:
        writeEpromRecord(-1);
        return 1;
    case EpromLegacyText::Kind::Count:
        break;
    }
    writeEpromRecord(legacy.count);
    return 0;
}

QString FileIo::jetValveReadEPROM()
{
    QMutexLocker locker(&eeprom::lock());

    // Drop valve devices the bus master still lists from an earlier fit.
    QString listing = readDeviceListing();
    const QString lastSeen = QString(listing).remove(eeprom::masterDir());
    // An empty listing names no device: a name kept from an earlier listing
    // must not reach the bus master's remove file.
    const QString lastSeenFile = platform::sysPath(QStringLiteral("/media/data/lastHHWP"));
    if (lastSeen.trimmed().isEmpty()) {
        if (QFile::exists(lastSeenFile))
            QFile::remove(lastSeenFile);
    } else {
        writeIfChanged(QStringLiteral("/media/data/lastHHWP"), lastSeen);
    }
    refreshDeviceListing();
    listing = readDeviceListing();
    if (listing.contains(QLatin1Char(' '))) {
        logLine(QStringLiteral("a space was found"));
        removeListedDevice();
        refreshDeviceListing();
        listing = readDeviceListing();
        logLine(withValue("wpath: ", listing.trimmed()));
        logLine(withValue("indexOf space (should be -1): ", QString::number(listing.indexOf(QLatin1Char(' ')))));
    }
    const QString path = eepromPathOf(listing);

    QString result;
    EpromRecord record;
    bool crcGood = false;
    std::optional<bool> mirrorIntact; // asked at the first damaged record
    for (int attempt = 0; attempt < readAttempts; ++attempt) {
        result.clear();
        unsigned char bytes[EpromRecord::size];
        ChipRead pass = readChipPass(path, bytes);
        if (pass == ChipRead::Ok)
            pass = readChipPass(path, bytes);
        if (pass == ChipRead::CannotOpen) {
            logLine(QStringLiteral("Could not open file to be read"));
            return QString();
        }
        if (pass == ChipRead::Failed) {
            // A chip that does not deliver a record says nothing about the
            // count it holds: it is left alone, chip and mirror alike.
            qCWarning(lcEeprom) << "valve EEPROM could not be read; left alone";
            return QString();
        }
        record = EpromRecord::fromBytes(bytes);
        result += QString::number(record.signedCount()) + QLatin1Char('#') + QString::number(record.flags)
                  + QLatin1Char('#');
        crcGood = record.crcValid();
        if (crcGood) {
            result += QString::number(record.crc);
        } else {
            // A damaged record is restored from the valve's intact mirror
            // after the last attempt; only a valve without one can be an old
            // chip in the text format.
            if (!mirrorIntact) {
                const int checkIntegrity = 0;
                mirrorIntact = !deviceNameOf(listing).isEmpty()
                               && epromFromFilesys(checkIntegrity, nullptr, nullptr, nullptr) == 0;
            }
            if (!*mirrorIntact) {
                logLine(QStringLiteral("Crc incorrect, calling checkForLegacyEeprom()"));
                checkForLegacyEeprom();
            }
            result += QLatin1String(badCrcMarker);
            logLine(QStringLiteral("CycleCount Crc mismatch ") + QString::number(record.crc) + QStringLiteral(" != ")
                    + QString::number(record.expectedCrc()));
        }
        logLine(withValue("EEPROM READ: ", result));
        if (crcGood)
            break;
    }

    if (deviceNameOf(listing).isEmpty())
        qCWarning(lcEeprom) << "no valve device in the listing; mirror left alone";
    else
        reconcileAfterRead(record.signedCount(), record.flags, crcGood, &result);

    logLine(withValue("after S1, returnData is now: ", result));
    return result;
}

bool FileIo::jetValveWriteEPROM(QString comd)
{
    return writeEpromTo(QString(), comd);
}

bool FileIo::writeValveEPROM(QString device, QString comd)
{
    return !device.isEmpty() && writeEpromTo(device, comd);
}

QString FileIo::valveDevice()
{
    QMutexLocker locker(&eeprom::lock());
    refreshDeviceListing();
    return listedValveDevice();
}

QString FileIo::listedValveDevice()
{
    const QString device = deviceNameOf(readDeviceListing());
    return eeprom::isValveDeviceName(device) ? device : QString();
}

bool FileIo::writeEpromTo(const QString &device, const QString &comd)
{
    QMutexLocker locker(&eeprom::lock());
    if (writeInProgress) {
        logLine(QStringLiteral("called while executing"));
        return true;
    }
    writeInProgress = true;
    struct ClearOnExit {
        ~ClearOnExit() { writeInProgress = false; }
    } clearOnExit;

    const QStringList sent = comd.split(QLatin1Char('#'));
    logLine(withValue("The write value strings: ", sent.join(QStringLiteral(", "))));
    if (sent.size() < 2) {
        qCWarning(lcEeprom) << "refusing a valve record without count and flags:" << comd;
        return false;
    }
    // A count must fit the signed 32-bit field and the flags a byte: any
    // other text would reach the chip as some other value (0 for a count of
    // 2^31 or more), so it is refused and chip and mirror stay as they are.
    bool countOk = false, flagsOk = false;
    const int count = sent.at(0).toInt(&countOk);
    const int flags = sent.at(1).toInt(&flagsOk);
    if (!countOk || !flagsOk || flags < 0 || flags > 0xFF) {
        qCWarning(lcEeprom) << "refusing a valve record that does not fit its fields:" << comd;
        return false;
    }
    const EpromRecord record = EpromRecord::make(count, static_cast<uint8_t>(flags));
    logLine(withValue("calcd CRC: ", QString::number(record.crc)));

    refreshDeviceListing();
    const QString listing = readDeviceListing();
    // The path names the chip, so a record meant for one valve can only
    // ever reach that valve.
    if (!device.isEmpty() && listedValveDevice() != device) {
        qCWarning(lcEeprom).noquote() << "valve" << device << "is no longer fitted; its count is not written";
        return false;
    }
    const QString path = eepromPathOf(listing);

    const int sentValues[3] = {count, flags, record.crc};
    for (int pass = 1;; ++pass) {
        logLine(withValue("write Iterations: ", QString::number(pass)));
        if (!writeChipTwice(path, record, false))
            return false;
        logLine(QStringLiteral("Reading data: "));
        const QStringList back = jetValveReadEPROM().split(QLatin1Char('#'));
        bool verified = true;
        for (int i = 0; i < 3; ++i) {
            bool parsed = false;
            const int value = back.value(i).toInt(&parsed);
            const bool same = i < back.size() && parsed && value == sentValues[i];
            const QString index = QString::number(i);
            logLine(QStringLiteral("sent data[%1]: %2, readbackdata[%1]: %3")
                        .arg(index, QString::number(sentValues[i]), back.value(i)));
            logLine(same ? QStringLiteral("same") : QStringLiteral("different"));
            verified = verified && same;
        }
        if (verified)
            break;
        if (pass == writePasses)
            return false;
    }

    updateMirrorAfterWrite(listing, record);
    return true;
}
