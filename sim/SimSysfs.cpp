#include "SimSysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sim {

const char *const SimSysfs::adcDir =
    "/sys/devices/platform/soc/2100000.aips-bus/21a0000.i2c/i2c-0/0-0014/iio:device1/";
const char *const SimSysfs::zuvcDir = "/sys/devices/platform/zuvc/";

namespace {

constexpr double kVoltsPerCount = 2.5 / 65535.0;
constexpr double kRoomTemp = 25.0;

QString gpioDir(int gpio)
{
    return QStringLiteral("/sys/class/gpio/gpio") + QString::number(gpio);
}

void writeIfMissing(const QString &file, const QByteArray &bytes)
{
    if (QFileInfo::exists(file))
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

// Resistance the thermistor curve maps to `celsius`.
double thermistorOhms(double celsius)
{
    return std::exp((287.63 - celsius) / 28.47);
}

} // namespace

QList<int> SimSysfs::pinMapGpios()
{
    return {114, 497, 498, 499, 505, 508, 506, 507, 41, 133, 120, 137, 12, 10};
}

void SimSysfs::build(const QString &root)
{
    for (int gpio : pinMapGpios()) {
        writeIfMissing(root + gpioDir(gpio) + QStringLiteral("/value"), "0\n");
        writeIfMissing(root + gpioDir(gpio) + QStringLiteral("/direction"), "in\n");
    }
    writeIfMissing(root + gpioDir(502) + QStringLiteral("/value"), "1\n");
    writeIfMissing(root + gpioDir(502) + QStringLiteral("/direction"), "in\n");
    writeIfMissing(root + QStringLiteral("/sys/class/gpio/export"), QByteArray());

    const QString pwm = root + QStringLiteral("/sys/class/pwm/pwmchip6");
    writeIfMissing(pwm + QStringLiteral("/export"), QByteArray());
    writeIfMissing(pwm + QStringLiteral("/pwm0/enable"), "0\n");
    writeIfMissing(pwm + QStringLiteral("/pwm0/period"), "0\n");
    writeIfMissing(pwm + QStringLiteral("/pwm0/duty_cycle"), "0\n");

    for (int channel = 0; channel <= 9; ++channel) {
        int counts = 0;
        switch (channel) {
        case PiezoTemp:
        case NozzleTemp:
        case BoostTemp:
        case AmpTemp:
            counts = countsForTemp(TempChannel(channel), kRoomTemp);
            break;
        default:
            break;
        }
        writeIfMissing(root + channelPath(channel), QByteArray::number(counts) + '\n');
    }

    // A plain file opens like the adapter node; selecting a slave on it fails,
    // which nothing at start-up tries.
    writeIfMissing(root + QStringLiteral("/dev/i2c-0"), QByteArray());

    const QString zuvc = root + QLatin1String(zuvcDir);
    writeIfMissing(zuvc + QStringLiteral("adc_piezo_samples"), "0\n");
    writeIfMissing(zuvc + QStringLiteral("adc_piezo_run"), "0\n");
    writeIfMissing(zuvc + QStringLiteral("adc_piezo_average"), "0\n");
}

int SimSysfs::countsForTemp(TempChannel channel, double celsius)
{
    double volts = 0;
    switch (channel) {
    case PiezoTemp:
        volts = celsius / 85.951 + 0.319;
        break;
    case AmpTemp:
        volts = 2.127 - celsius / 92.42;
        break;
    case NozzleTemp:
        volts = 2550.0 / (thermistorOhms(celsius) + 510.0);
        break;
    case BoostTemp:
        volts = 5000.0 / (thermistorOhms(celsius) + 1000.0);
        break;
    }
    const double counts = std::round(volts / kVoltsPerCount);
    return int(std::clamp(counts, 0.0, 65535.0));
}

SimSysfs::SimSysfs(const QString &root)
    : rootDir(root)
{
}

QString SimSysfs::path(const QString &boardPath) const
{
    return rootDir + boardPath;
}

QString SimSysfs::channelPath(int channel)
{
    return QLatin1String(adcDir) + QStringLiteral("in_voltage%1_raw").arg(channel);
}

void SimSysfs::setTemperature(TempChannel channel, double celsius) const
{
    setChannelText(channel, QByteArray::number(countsForTemp(channel, celsius)) + '\n');
}

void SimSysfs::setChannelText(int channel, const QByteArray &text) const
{
    write(channelPath(channel), text);
}

void SimSysfs::removeAdc() const
{
    QDir(path(QLatin1String(adcDir))).removeRecursively();
}

void SimSysfs::setDispenseControl(int level) const
{
    write(gpioDir(502) + QStringLiteral("/value"), QByteArray::number(level) + '\n');
}

void SimSysfs::removeGpioLine(int gpio) const
{
    QDir(path(gpioDir(gpio))).removeRecursively();
}

QByteArray SimSysfs::gpioValue(int gpio) const
{
    return read(gpioDir(gpio) + QStringLiteral("/value"));
}

QByteArray SimSysfs::gpioDirection(int gpio) const
{
    return read(gpioDir(gpio) + QStringLiteral("/direction"));
}

QByteArray SimSysfs::exportWrites() const
{
    return read(QStringLiteral("/sys/class/gpio/export"));
}

void SimSysfs::setPiezoAverage(int value) const
{
    write(QLatin1String(zuvcDir) + QStringLiteral("adc_piezo_average"), QByteArray::number(value) + '\n');
}

// Replaces the file in one rename, so the input thread never reads half a count.
void SimSysfs::write(const QString &boardPath, const QByteArray &bytes) const
{
    replaceFile(path(boardPath), bytes, QStringLiteral(".sim-tmp"));
}

void SimSysfs::replaceFile(const QString &file, const QByteArray &bytes, const QString &tempSuffix)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QString temp = file + tempSuffix;
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(bytes);
    out.close();
    ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(file).constData());
}

QByteArray SimSysfs::read(const QString &boardPath) const
{
    QFile in(path(boardPath));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace sim
