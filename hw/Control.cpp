#include "Control.h"

#include "Globals.h"
#include "Platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>

const char *const Control::adcDir =
    "/sys/devices/platform/soc/2100000.aips-bus/21a0000.i2c/i2c-0/0-0014/iio:device1/";
const char *const Control::zuvcDir = "/sys/devices/platform/zuvc/";
const char *const Control::debugLogPath = "/media/data/Control.log";

namespace {

// One line of the pin map: its set-up, initial level (-1: none) and the
// message logged when the set-up fails.
struct PinSetup {
    Gpio Control::*line;
    const char *name;
    int gpio;
    const char *direction;
    int level;
    const char *failure;
};

int toInt(const QString &text)
{
    return text.trimmed().toInt(nullptr, 10);
}

} // namespace

Control::Control(QObject *parent)
    : QObject(parent)
{
}

Control::~Control() = default;

void Control::init(const QString &machine)
{
    qDebug().noquote() << "Control init" << machine;
    desktop = machine != QLatin1String("arm");
    if (!desktop) {
        static const PinSetup pinMap[] = {
            {&Control::pin144, "Pin144", Pin144Gpio, "out", 1, "error initializing GPIO pin 144"},
            {&Control::pin497, "Pin497", Pin497Gpio, "out", 0, "error initializing GPIO pin 497"},
            {&Control::pin498, "Pin498", Pin498Gpio, "out", 0, "error initializing GPIO pin 498"},
            {&Control::pin499, "Pin499", Pin499Gpio, "out", 1, "error initializing GPIO pin 499"},
            {&Control::pin505, "Pin505", Pin505Gpio, "out", 1, "error initializing GPIO pin 505"},
            {&Control::pin508, "Pin508", Pin508Gpio, "out", 0, "error initializing GPIO pin 508"},
            {&Control::pin506, "Pin506", Pin506Gpio, "out", 0, "error initializing GPIO pin 506"},
            {&Control::pin507, "Pin507", Pin507Gpio, "out", 0, "error initializing GPIO pin 507"},
            {&Control::footSwitch, "FootSwitch", FootSwitchGpio, "in", -1, "error initializing FootSwitch GPIO"},
            {&Control::m1nFault, "M1_nFAULT", M1nFaultGpio, "in", -1, "error initializing M1_nFAULT GPIO"},
            {&Control::m1Mode2, "M1_MODE2", M1Mode2Gpio, "out", -1, "error initializing M1_MODE2 GPIO"},
            {&Control::m2nFault, "M2_nFAULT", M2nFaultGpio, "in", -1, "error initializing M2_nFAULT GPIO"},
            {&Control::m2nSleep, "M2_nSLEEP", M2nSleepGpio, "out", -1, "error initializing M2_nSLEEP GPIO"},
            {&Control::m2Mode2, "M2_MODE2", M2Mode2Gpio, "out", -1, "error initializing M2_MODE2 GPIO"},
        };
        for (const PinSetup &pin : pinMap) {
            Gpio &line = this->*pin.line;
            if (!line.init(QLatin1String(pin.name), pin.gpio, QLatin1String(pin.direction))) {
                qDebug().noquote() << pin.failure;
                continue;
            }
            if (pin.level >= 0)
                line.setValue(pin.level);
            if (pin.line == &Control::pin508)
                servicesDown = 0;
            if (pin.line == &Control::pin499)
                heaterTargetLevel = pin.level;
        }

        if (!pr.init(QStringLiteral("PR"), 6, 1000000))
            qDebug().noquote() << "error initializing PR PWM";

        i2cBus = std::make_unique<I2cBus>(0);
        if (i2cBus->open() != 0)
            qWarning().noquote() << "unable to open i2c bus";
        i2cDevice = std::make_unique<I2cDevice>(0x68, i2cBus.get());
        i2cPeripheral = std::make_unique<I2cPeripheral>();
        i2cPeripheral->device = i2cDevice.get();
    }
    platform::removeFiles(QStringLiteral("/media/data/Control.log*"));
}

bool Control::createAppDir(const QString &path)
{
    const QString dir = platform::sysPath(path);
    if (!QDir(dir).exists() && !QDir().mkpath(dir))
        return false;
    const int status = platform::runShell("chmod 777 " + platform::shellPath(path).toLocal8Bit());
    return status != -1;
}

bool Control::fileWrite(const QString &fileName, const QString &contents)
{
    QFile file(platform::sysPath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(contents.toLocal8Bit() + '\n');
    return true;
}

QString Control::fileRead(const QString &fileName)
{
    QFile file(platform::sysPath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

int Control::readChannel(int channel, int desktopValue)
{
    if (desktop)
        return desktopValue;
    return toInt(fileRead(QLatin1String(adcDir) + QStringLiteral("in_voltage%1_raw").arg(channel)));
}

int Control::getPiezoTemp() { return readChannel(2, 40000); }
int Control::getPiezoVolt() { return readChannel(0, 40100); }
int Control::getPiezoVCurrent() { return readChannel(1, 40200); }
int Control::getBootTemp() { return readChannel(7, 30000); }
int Control::getBootVolt() { return readChannel(6, 30100); }
int Control::getPCBTemp() { return readChannel(9, 27500); }
int Control::getPCBTVolt() { return readChannel(8, 27600); }
int Control::getNozzleTemp() { return readChannel(5, 40000); }

void Control::setNozzleHeater(bool state)
{
    pin507.setValue(state ? 1 : 0);
    heaterisON.store(state ? 1 : 0);
}

void Control::turnPiezoAir(bool state)
{
    pin506.setValue(state ? 1 : 0);
}

void Control::shutDownServices(bool state)
{
    // Only transitions drive the line and leave a record.
    if (state) {
        if (servicesDown != 0)
            return;
        pin508.setValue(1);
        servicesDown = 1;
        qDebug().noquote() << "shutDownServices -  ON";
        writeDebugFile(QStringLiteral("shutDownServices -  ON"));
    } else {
        if (servicesDown != 1)
            return;
        pin508.setValue(0);
        servicesDown = 0;
        qDebug().noquote() << "shutDownServices -  OFF";
        writeDebugFile(QStringLiteral("shutDownServices -  OFF"));
    }
}

bool Control::setAdcPiezoSample(int samples)
{
    return fileWrite(QLatin1String(zuvcDir) + QStringLiteral("adc_piezo_samples"), QString::number(samples));
}

bool Control::setAdcPiezoRun()
{
    return fileWrite(QLatin1String(zuvcDir) + QStringLiteral("adc_piezo_run"), QStringLiteral("1"));
}

int Control::readAdcPiezoMaxValue()
{
    if (desktop)
        return 400;
    return toInt(fileRead(QLatin1String(zuvcDir) + QStringLiteral("adc_piezo_average")));
}

void Control::setAnyErrorOnDB15(bool isError)
{
    pin497.setValue(isError ? 1 : 0);
}

void Control::setNozzleHeaterTargetOnDB15(bool reached)
{
    // Asked for with every input sample (some 44 a second): only a change
    // reaches the line.
    const int level = reached ? 1 : 0;
    if (level == heaterTargetLevel)
        return;
    pin499.setValue(level);
    heaterTargetLevel = level;
}

void Control::setPiezoTempExceedStatusOnDB15(bool exceeded)
{
    pin498.setValue(exceeded ? 1 : 0);
}

int Control::getDispensingCtrlStatus()
{
    const QString text = fileRead(QStringLiteral("/sys/class/gpio/gpio502/value"));
    // An unreadable input must not stop dispensing on its own.
    if (text.isEmpty())
        return 1;
    dispensingCtrl = toInt(text);
    return dispensingCtrl;
}
