#include "Pwm.h"

#include "Platform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

bool writeAttribute(const QString &boardPath, const QByteArray &text)
{
    QFile file(platform::sysPath(boardPath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::ExistingOnly))
        return false;
    file.write(text);
    return true;
}

// Truncates toward zero, saturating at the 32-bit range; NaN gives 0.
std::int32_t toInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

} // namespace

bool Pwm::init(const QString &name, int chip, int periodNanoseconds)
{
    channelName = name;
    chipNumber = chip;
    periodNs = periodNanoseconds;
    const QString chipPath = QStringLiteral("/sys/class/pwm/pwmchip") + QString::number(chip);
    const QString channelPath = chipPath + QStringLiteral("/pwm0");
    dutyFile = channelPath + QStringLiteral("/duty_cycle");

    if (!QFileInfo::exists(platform::sysPath(channelPath))
        && !writeAttribute(chipPath + QStringLiteral("/export"), "0\n")) {
        qDebug() << "Error exporting pwm: " << name;
        return false;
    }
    // The channel has to be enabled before the period is accepted.
    if (!writeAttribute(channelPath + QStringLiteral("/enable"), "1\n")) {
        qDebug() << "Error enabling pwm: " << name;
        return false;
    }
    if (!writeAttribute(channelPath + QStringLiteral("/period"), QByteArray::number(periodNs) + '\n')) {
        qDebug() << "Error setting pwm period: " << name;
        return false;
    }
    return setDutyCycle(0.0);
}

bool Pwm::setDutyCycle(double percent)
{
    const std::int32_t dutyNs = toInt32(percent / 100.0 * periodNs);
    if (dutyFile.isEmpty() || !writeAttribute(dutyFile, QByteArray::number(dutyNs) + '\n')) {
        qDebug() << "Error setting pwm duty cycle: " << channelName;
        return false;
    }
    return true;
}
