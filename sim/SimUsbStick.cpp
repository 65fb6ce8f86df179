#include "SimUsbStick.h"

#include "SimRoot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace sim {

const char *const SimUsbStick::device = "/dev/sda1";
const char *const SimUsbStick::mountPoint = "/media/usb";

namespace {

struct Copy {
    QString from; // host file
    QString to;   // path on the stick
};

} // namespace

SimUsbStick::SimUsbStick(const QString &root)
    : rootDir(root)
{
}

bool SimUsbStick::isStickPath(const QString &path)
{
    if (path.isEmpty() || path.size() > 200 || QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path)
        return false;
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return !path.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

QString SimUsbStick::insert(const QList<Entry> &entries, qint64 maxBytes, int maxFiles) const
{
    // Everything is checked before the old stick goes, so a bad request
    // leaves the stick as it was.
    QList<Copy> copies;
    qint64 bytes = 0;
    auto add = [&](const QFileInfo &file, const QString &to) -> QString {
        if (!isStickPath(to))
            return QStringLiteral("not a path on the stick: ") + to;
        bytes += file.size();
        copies.append({file.absoluteFilePath(), to});
        if (copies.size() > maxFiles)
            return QStringLiteral("more than %1 files").arg(maxFiles);
        if (bytes > maxBytes)
            return QStringLiteral("more than %1 bytes").arg(maxBytes);
        return QString();
    };
    for (const Entry &entry : entries) {
        const QFileInfo host(entry.hostPath);
        if (!host.isAbsolute())
            return QStringLiteral("host path must be absolute: ") + entry.hostPath;
        QString why;
        if (!entry.stickPath.isEmpty()) {
            if (!host.isFile())
                return QStringLiteral("no such file: ") + entry.hostPath;
            why = add(host, entry.stickPath);
        } else if (host.isDir() && !host.isSymLink()) {
            const QDir top(host.absoluteFilePath());
            QDirIterator it(top.absolutePath(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                            QDirIterator::Subdirectories);
            while (why.isEmpty() && it.hasNext()) {
                it.next();
                why = add(it.fileInfo(), top.relativeFilePath(it.filePath()));
            }
        } else {
            return QStringLiteral("no such folder: ") + entry.hostPath;
        }
        if (!why.isEmpty())
            return why;
    }

    remove();
    const SimRoot root(rootDir);
    const QString top = root.path(QLatin1String(mountPoint)) + QLatin1Char('/');
    for (const Copy &copy : copies) {
        QDir().mkpath(QFileInfo(top + copy.to).absolutePath());
        QFile::remove(top + copy.to);
        if (!QFile::copy(copy.from, top + copy.to)) {
            remove();
            return QStringLiteral("cannot copy ") + copy.from;
        }
    }
    root.addDevice(QLatin1String(device));
    root.setMountable(QStringList(QLatin1String(device)));
    return QString();
}

void SimUsbStick::remove() const
{
    const SimRoot root(rootDir);
    root.setMountable(QStringList());
    QFile::remove(root.path(QLatin1String(device)));
    QDir stick(root.path(QLatin1String(mountPoint)));
    stick.removeRecursively();
    QDir().mkpath(stick.absolutePath());
}

bool SimUsbStick::isInserted() const
{
    return QFileInfo::exists(rootDir + QLatin1String(device));
}

int SimUsbStick::fileCount() const
{
    int count = 0;
    QDirIterator it(rootDir + QLatin1String(mountPoint), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext() && count < 100000) {
        it.next();
        ++count;
    }
    return count;
}

} // namespace sim
