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

const QString installed = QStringLiteral("installed");
const QString failed = QStringLiteral("failed");
const QString held = QStringLiteral("held");

// The real paths of one file of an update: the file on the stick, the copy
// staged beside the target, the target and the previous file kept beside it.
struct UpdatePaths {
    explicit UpdatePaths(const FileIo::UpdateFile &file)
        : source(platform::sysPath(file.source))
        , staging(platform::sysPath(file.target + QStringLiteral(".new")))
        , target(platform::sysPath(file.target))
        , previous(platform::sysPath(file.target + QStringLiteral(".old")))
    {
    }
    QString source, staging, target, previous;
};

bool renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A stick pulled mid-copy, a full flash or a failing cp must never leave a
// truncated program in place: the new file is staged beside the target,
// checked and flushed before anything moves. Only a whole ARM program (or,
// when not executable, an ARM kernel module) gets that far: anything else
// installed would leave a board that cannot start the console that takes
// updates. Empty when staged, else why not.
QString stage(const FileIo::UpdateFile &file)
{
    const auto kind = file.executable ? elfcheck::Kind::Program : elfcheck::Kind::KernelModule;
    const UpdatePaths real(file);
    const QFileInfo sourceInfo(real.source);
    if (file.source.isEmpty() || file.target.isEmpty() || !sourceInfo.isFile() || sourceInfo.size() == 0)
        return QStringLiteral("no usable file at ") + file.source;
    QString why = elfcheck::refusalForFile(real.source, kind);
    if (!why.isEmpty())
        return file.source + QStringLiteral(": ") + why;
    QFile::remove(real.staging);
    if (!shellCopy(file.source, file.target + QStringLiteral(".new")))
        return QStringLiteral("copy failed");
    const QFileInfo stagedInfo(real.staging);
    if (!stagedInfo.isFile() || stagedInfo.size() != sourceInfo.size())
        return QStringLiteral("copy holds %1 of %2 bytes").arg(stagedInfo.size()).arg(sourceInfo.size());
    // What the copy holds is what will run; the stick may have changed under it.
    why = elfcheck::refusalForFile(real.staging, kind);
    if (!why.isEmpty())
        return QStringLiteral("the copy: ") + why;
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
        | QFileDevice::ReadOther;
    if (file.executable)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!QFile::setPermissions(real.staging, permissions))
        return QStringLiteral("cannot set permissions");
    if (!syncFile(real.staging))
        return QStringLiteral("cannot flush the copy");
    return QString();
}

// Moves a staged file in with one rename, keeping the file it replaces as
// <target>.old. Empty when moved in, else why not (the target unchanged).
QString moveIn(const FileIo::UpdateFile &file, bool *hadPrevious)
{
    const UpdatePaths real(file);
    *hadPrevious = QFileInfo::exists(real.target);
    if (*hadPrevious) {
        // A hard link keeps the previous file without a second copy on flash.
        QFile::remove(real.previous);
        if (::link(QFile::encodeName(real.target).constData(), QFile::encodeName(real.previous).constData()) != 0
            && !QFile::copy(real.target, real.previous))
            return QStringLiteral("cannot keep the previous file as ") + file.target + QStringLiteral(".old");
    }
    if (!renameFile(real.staging, real.target))
        return QStringLiteral("cannot move the copy in");
    return QString();
}

// Undoes moveIn: the previous file goes back with one rename, or the new
// one goes when there was none before it.
bool putBack(const FileIo::UpdateFile &file, bool hadPrevious)
{
    const UpdatePaths real(file);
    return hadPrevious ? renameFile(real.previous, real.target) : QFile::remove(real.target);
}

void removeStaged(const QVector<FileIo::UpdateFile> &files)
{
    for (const FileIo::UpdateFile &file : files)
        QFile::remove(UpdatePaths(file).staging);
}

} // namespace

bool FileIo::installUpdate(QString source, QString target, bool executable)
{
    return installUpdates({{source, target, executable}}).value(0) == installed;
}

// A driver and a program from one stick must match: the board never gets a
// new program on an old driver (or the other way round) because half of the
// update failed. Every file is staged first; only then are they moved in.
QStringList FileIo::installUpdates(const QVector<UpdateFile> &files)
{
    QStringList outcome;
    for (const UpdateFile &file : files) {
        const QString why = stage(file);
        if (!why.isEmpty())
            qCWarning(lcUpdate).noquote() << "update of" << file.target << "refused:" << why;
        outcome.append(why.isEmpty() ? held : failed);
    }
    if (outcome.contains(failed)) {
        removeStaged(files);
        return outcome;
    }
    QVector<bool> hadPrevious(files.size());
    for (int i = 0; i < files.size(); ++i) {
        bool had = false;
        const QString why = moveIn(files[i], &had);
        hadPrevious[i] = had;
        if (why.isEmpty())
            continue;
        qCWarning(lcUpdate).noquote() << "update of" << files[i].target << "refused:" << why;
        outcome[i] = failed;
        removeStaged(files);
        for (int j = i - 1; j >= 0; --j) {
            if (putBack(files[j], hadPrevious[j])) {
                qCInfo(lcUpdate).noquote() << "put back the previous" << files[j].target;
            } else {
                qCWarning(lcUpdate).noquote() << "could not put back the previous" << files[j].target;
                outcome[j] = failed;
            }
        }
        ::sync();
        return outcome;
    }
    ::sync();
    for (int i = 0; i < files.size(); ++i) {
        qCInfo(lcUpdate).noquote() << "installed" << files[i].source << "as" << files[i].target;
        outcome[i] = installed;
    }
    return outcome;
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
