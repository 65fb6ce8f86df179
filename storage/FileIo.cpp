#include "FileIo.h"

#include "Platform.h"
#include "Worker.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <atomic>

namespace {

// Set by the first FileIo of the process, which prepares the over-temperature log.
std::atomic<bool> otLogPrepared{false};

QString localPathOf(const QString &url)
{
    return QUrl(url, QUrl::TolerantMode).toLocalFile();
}

} // namespace

FileIo::FileIo(QObject *parent)
    : QObject(parent)
    , usbMountPoint("/media/usb")
{
    if (!otLogPrepared.exchange(true))
        ensureOverTemperatureLog();
}

FileIo::~FileIo() = default;

bool FileIo::writeUrl(QString url, QString contents)
{
    const QString path = localPathOf(url);
    qDebug().noquote() << "FileIo::writeUrl " + path;
    return write(path, contents);
}

QString FileIo::readUrl(QString url)
{
    return read(localPathOf(url));
}

// The old file stays in place until the new content has been committed, so
// a failure or a power loss leaves either the old or the new file.
bool FileIo::write(QString name, QString contents)
{
    if (name.isEmpty())
        return false;
    return MemoryOp::writeFileAtomically(platform::sysPath(name), contents);
}

QString FileIo::read(QString name)
{
    QFile file(platform::sysPath(name));
    if (name.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    // Files are written in Latin-1, so they are read back in Latin-1: any
    // other codec would garble the characters the write kept.
    return QString::fromLatin1(file.readAll());
}

int FileIo::runSystemCmd(QString cmd)
{
    return platform::runShell(cmd.toLocal8Bit());
}

bool FileIo::exeSys(QString comm)
{
    return platform::runShell(comm.toLatin1()) >= 0;
}

bool FileIo::mountUsb()
{
    unMountUsb();
    static const char *const candidates[] = {
        "/dev/sda1", "/dev/sda", "/dev/sdb1", "/dev/sdb", "/dev/sdc1", "/dev/sdc",
    };
    for (const char *candidate : candidates) {
        if (!QFile::exists(platform::sysPath(QLatin1String(candidate))))
            continue;
        QDir().mkpath(platform::sysPath(QLatin1String(usbMountPoint)));
        if (runSystemCmd(QStringLiteral("mount %1 %2").arg(QLatin1String(candidate), QLatin1String(usbMountPoint))) == 0)
            return true;
    }
    return false;
}

bool FileIo::unMountUsb()
{
    return runSystemCmd(QStringLiteral("umount ") + QLatin1String(usbMountPoint)) == 0;
}

QStringList FileIo::findFiles(QString dir, QString filter)
{
    QStringList found;
    const QDir directory(platform::sysPath(dir));
    // Plain files only: no dot files, and nothing but a regular file behind
    // the name (no FIFOs, sockets or device nodes, nor links to them, nor
    // dangling links).
    const QFileInfoList entries = directory.entryInfoList(QStringList(filter), QDir::Files, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (entry.isFile())
            found.append(dir + QLatin1Char('/') + entry.fileName());
    }
    return found;
}

QString FileIo::getUsbMountPoint()
{
    return QLatin1String(usbMountPoint);
}

QString FileIo::cpuArch()
{
    return platform::cpuArch();
}
