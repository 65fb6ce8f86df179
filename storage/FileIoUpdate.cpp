#include "FileIo.h"

#include "ElfCheck.h"
#include "Platform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcUpdate, "zum.storage.update")

namespace {

// Flushes one file's data to the medium; false when it cannot be opened or synced.
bool syncFile(const QString &realPath)
{
    const int fd = ::open(QFile::encodeName(realPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Copies through the shell's cp so the copy is the same tool the board uses;
// true only when cp exited with 0.
bool shellCopy(const QString &source, const QString &target)
{
    const QString command = QStringLiteral("cp -f %1 %2").arg(platform::shellPath(source), platform::shellPath(target));
    return platform::exitCode(platform::runShell(command.toLocal8Bit())) == 0;
}

} // namespace

// A stick pulled mid-copy, a full flash or a failing cp must never leave a
// truncated program in place: the new file is staged beside the target,
// checked, flushed, and only then moved in with one rename, keeping the
// previous file as <target>.old. Only a whole ARM program (or, when not
// executable, an ARM kernel module) gets that far: anything else installed
// would leave a board that cannot start the console that takes updates.
bool FileIo::installUpdate(QString source, QString target, bool executable)
{
    const auto kind = executable ? elfcheck::Kind::Program : elfcheck::Kind::KernelModule;
    const QString staging = target + QStringLiteral(".new");
    const QString previous = target + QStringLiteral(".old");
    const QString realSource = platform::sysPath(source);
    const QString realStaging = platform::sysPath(staging);
    const QString realTarget = platform::sysPath(target);

    auto refuse = [&](const QString &why) {
        QFile::remove(realStaging);
        qCWarning(lcUpdate).noquote() << "update of" << target << "refused:" << why;
        return false;
    };

    const QFileInfo sourceInfo(realSource);
    if (source.isEmpty() || target.isEmpty() || !sourceInfo.isFile() || sourceInfo.size() == 0)
        return refuse(QStringLiteral("no usable file at ") + source);
    QString why = elfcheck::refusalForFile(realSource, kind);
    if (!why.isEmpty())
        return refuse(source + QStringLiteral(": ") + why);
    QFile::remove(realStaging);
    if (!shellCopy(source, staging))
        return refuse(QStringLiteral("copy failed"));
    const QFileInfo stagedInfo(realStaging);
    if (!stagedInfo.isFile() || stagedInfo.size() != sourceInfo.size())
        return refuse(QStringLiteral("copy holds %1 of %2 bytes").arg(stagedInfo.size()).arg(sourceInfo.size()));
    // What the copy holds is what will run; the stick may have changed under it.
    why = elfcheck::refusalForFile(realStaging, kind);
    if (!why.isEmpty())
        return refuse(QStringLiteral("the copy: ") + why);
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
        | QFileDevice::ReadOther;
    if (executable)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!QFile::setPermissions(realStaging, permissions))
        return refuse(QStringLiteral("cannot set permissions"));
    if (!syncFile(realStaging))
        return refuse(QStringLiteral("cannot flush the copy"));

    if (QFileInfo::exists(realTarget)) {
        // A hard link keeps the previous file without a second copy on flash.
        const QString realPrevious = platform::sysPath(previous);
        QFile::remove(realPrevious);
        if (::link(QFile::encodeName(realTarget).constData(), QFile::encodeName(realPrevious).constData()) != 0
            && !QFile::copy(realTarget, realPrevious))
            return refuse(QStringLiteral("cannot keep the previous file as ") + previous);
    }
    if (::rename(QFile::encodeName(realStaging).constData(), QFile::encodeName(realTarget).constData()) != 0)
        return refuse(QStringLiteral("cannot move the copy in"));
    ::sync();
    qCInfo(lcUpdate).noquote() << "installed" << source << "as" << target;
    return true;
}

// The stick stays mounted until the copy has been checked and flushed, so a
// failure is reported rather than lost.
bool FileIo::copyOTLogToUSBChecked()
{
    qDebug().noquote() << "COPY ot.log to USB!!!";
    const QString log = QStringLiteral("/media/data/ot.log");
    const QString copy = QLatin1String(usbMountPoint) + QStringLiteral("/ot.log");
    if (!mountUsb()) {
        qCWarning(lcUpdate) << "over-temperature log not exported: no USB stick mounts";
        return false;
    }
    const bool copied = shellCopy(log, copy);
    ::sync();
    const QFileInfo logInfo(platform::sysPath(log));
    const QFileInfo copyInfo(platform::sysPath(copy));
    const bool complete = copied && logInfo.isFile() && copyInfo.isFile() && copyInfo.size() == logInfo.size();
    unMountUsb();
    if (!complete)
        qCWarning(lcUpdate) << "over-temperature log export failed";
    return complete;
}
