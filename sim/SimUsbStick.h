#pragma once

#include <QList>
#include <QString>

namespace sim {

// A USB stick as the console finds it: a device node at /dev/sda1 that the
// fake mount accepts (sim/mountable) and the stick's files under /media/usb,
// where the console reads them after mounting.
class SimUsbStick
{
public:
    static const char *const device;     // "/dev/sda1"
    static const char *const mountPoint; // "/media/usb"

    // One thing to put on the stick: a host file at a path on the stick, or
    // (stickPath empty) the files of a host folder at the stick's top.
    struct Entry {
        QString stickPath;
        QString hostPath; // absolute
    };

    explicit SimUsbStick(const QString &root);

    // Takes out any stick, then plugs one holding the entries. Nothing
    // changes when an entry is unusable or the files exceed the bounds;
    // the reason is returned (empty on success).
    QString insert(const QList<Entry> &entries, qint64 maxBytes, int maxFiles) const;
    // Takes the stick out: no device node, nothing to mount, no files.
    void remove() const;

    bool isInserted() const;
    int fileCount() const;

    // A stick path is relative, clean and stays on the stick.
    static bool isStickPath(const QString &path);

private:
    QString rootDir;
};

} // namespace sim
