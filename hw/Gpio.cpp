#include "Gpio.h"

#include "Globals.h"
#include "Platform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

int Gpio::lastLogged = 0;

namespace {

// sysfs attributes cannot be created by writing to them; ExistingOnly keeps a
// simulated tree honest in the same way.
bool openAttribute(QFile &file, const QString &boardPath, QIODevice::OpenMode mode)
{
    file.setFileName(platform::sysPath(boardPath));
    if (mode & QIODevice::WriteOnly)
        mode |= QIODevice::ExistingOnly;
    return file.open(mode);
}

} // namespace

Gpio::Gpio(QObject *parent)
    : QObject(parent)
{
}

int Gpio::lastLoggedValue()
{
    return lastLogged;
}

void Gpio::resetLastLoggedValue()
{
    lastLogged = 0;
}

bool Gpio::init(const QString &name, int gpio, const QString &direction)
{
    lineName = name;
    gpioNumber = gpio;
    if (direction != QLatin1String("out") && direction != QLatin1String("in")) {
        qDebug() << "Invalid direction: " << direction;
        return false;
    }
    lineDirection = direction;
    lineDir = QStringLiteral("/sys/class/gpio/gpio") + QString::number(gpio);
    valueFile = lineDir + QStringLiteral("/value");

    if (!QFileInfo::exists(platform::sysPath(lineDir)) && !exportPin()) {
        qDebug() << "Error export gpio " << gpio;
        return false;
    }
    return setDirection(direction);
}

bool Gpio::exportPin()
{
    QFile file;
    if (!openAttribute(file, QStringLiteral("/sys/class/gpio/export"), QIODevice::WriteOnly)) {
        qDebug() << "Error opening /sys/class/gpio/export";
        return false;
    }
    file.write(QByteArray::number(gpioNumber) + '\n');
    file.close();
    // The kernel creates the folder synchronously; no waiting for it.
    return QFileInfo::exists(platform::sysPath(lineDir));
}

bool Gpio::setDirection(const QString &direction)
{
    QFile file;
    if (!openAttribute(file, lineDir + QStringLiteral("/direction"), QIODevice::WriteOnly)) {
        qDebug() << "Error setting direction";
        return false;
    }
    file.write(direction.toLatin1() + '\n');
    return true;
}

int Gpio::value()
{
    QFile file;
    if (valueFile.isEmpty() || !openAttribute(file, valueFile, QIODevice::ReadOnly)) {
        qDebug() << "Error opening gpio:" << lineName << "file:" << valueFile;
        return 0;
    }
    const int level = file.readAll().trimmed().toInt(nullptr, 10);
    // One shared last value keeps -D output to changes, whichever line changed.
    if (cDebug && level != lastLogged) {
        qDebug() << "GPIO" << lineName << "reading" << level;
        lastLogged = level;
    }
    return level;
}

void Gpio::setValue(int level)
{
    if (cDebug)
        qDebug() << "GPIO" << lineName << "setting" << level;
    QFile file;
    if (valueFile.isEmpty() || !openAttribute(file, valueFile, QIODevice::WriteOnly)) {
        qDebug() << "Error opening gpio file:" << valueFile;
        return;
    }
    file.write(QByteArray::number(level) + '\n');
}
