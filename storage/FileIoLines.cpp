// Line-wise reading of small text files brought on a USB stick (the Wi-Fi
// pass-phrase file): bounded, and tolerant of files written on other systems.
#include "FileIo.h"

#include "Platform.h"

#include <QDebug>
#include <QFile>

namespace {

// A pass-phrase file is a few dozen bytes; anything much larger is not one.
constexpr qint64 maxLineFileBytes = 4096;

} // namespace

QStringList FileIo::readLines(QString name)
{
    QFile file(platform::sysPath(name));
    if (name.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "FileIo::readLines: cannot open" << name;
        return QStringList();
    }
    QByteArray bytes = file.read(maxLineFileBytes + 1);
    if (bytes.size() > maxLineFileBytes) {
        qWarning().noquote() << "FileIo::readLines:" << name << "is larger than" << maxLineFileBytes << "bytes";
        return QStringList();
    }
    // Editors on other systems start the file with a byte-order mark.
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes.remove(0, 3);

    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    // The line feed that ends the last line, and blank lines after it, start no line.
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}
