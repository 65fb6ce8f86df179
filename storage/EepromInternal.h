#pragma once

// Shared by the EEPROM and mirror code of FileIo; not part of its interface.

#include <QDebug>
#include <QLoggingCategory>
#include <QRecursiveMutex>
#include <QRegularExpression>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcEeprom)

namespace eeprom {

// Serialises every chip read and write of the process, the mirror work
// included; recursive because a write reads its own result back.
QRecursiveMutex &lock();

// The 1-Wire bus master as the board names it.
inline const QString &masterDir()
{
    static const QString dir = QStringLiteral("/sys/devices/w1_bus_master1/");
    return dir;
}

// A 1-Wire valve chip's name: family 2d, a dash, 12 lower-case hex digits.
inline bool isValveDeviceName(const QString &name)
{
    static const QRegularExpression slaveName(QStringLiteral("^2d-[0-9a-f]{12}$"));
    return slaveName.match(name).hasMatch();
}

// One line of the valve diagnostics, exactly as given.
inline void logLine(const QString &text)
{
    qDebug().noquote() << text;
}

} // namespace eeprom
