#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sim {

// The board's sysfs as the console sees it: the GPIO lines of the pin map,
// the dispense-control input (gpio502), the PR PWM chip, the analogue
// converter's channels, the zuvc driver attributes and the I2C bus node. Temperatures are set
// as raw counts computed by inverting the console's own conversions.
class SimSysfs
{
public:
    // Analogue channels that carry a temperature.
    enum TempChannel { PiezoTemp = 2, NozzleTemp = 5, BoostTemp = 7, AmpTemp = 9 };

    static const char *const adcDir;   // board path of the IIO device, trailing slash
    static const char *const zuvcDir;  // board path of the zuvc attributes, trailing slash

    // Lays out the tree under `root`; files already present are kept, so a
    // running demo can rebuild without losing what was set.
    static void build(const QString &root);

    // GPIO numbers of the console's pin map, in its order.
    static QList<int> pinMapGpios();

    // Raw count (0 to 65535) that converts back to `celsius` on the channel.
    // For the nozzle channel this is the sensor reading; the console shows it
    // 4 °C lower.
    static int countsForTemp(TempChannel channel, double celsius);

    explicit SimSysfs(const QString &root);

    QString path(const QString &boardPath) const;

    void setTemperature(TempChannel channel, double celsius) const;
    void setPiezoTemp(double celsius) const { setTemperature(PiezoTemp, celsius); }
    void setNozzleTemp(double celsius) const { setTemperature(NozzleTemp, celsius); }
    void setAmpTemp(double celsius) const { setTemperature(AmpTemp, celsius); }
    void setBoostTemp(double celsius) const { setTemperature(BoostTemp, celsius); }
    // Any text, for unreadable or malformed channels.
    void setChannelText(int channel, const QByteArray &text) const;
    static QString channelPath(int channel);
    // Takes the whole analogue converter away (unloaded driver).
    void removeAdc() const;

    // Level of the dispense-control input (0 asks the console to stop).
    void setDispenseControl(int level) const;
    void removeGpioLine(int gpio) const;
    QByteArray gpioValue(int gpio) const;
    QByteArray gpioDirection(int gpio) const;
    // Everything written to the GPIO export file so far.
    QByteArray exportWrites() const;

    // Result the zuvc driver reports for the next piezo capture.
    void setPiezoAverage(int value) const;

    // Replaces a file in one rename through a temporary file named with
    // `tempSuffix`, so that a reader never sees half of it; writers on other
    // threads use suffixes of their own.
    static void replaceFile(const QString &file, const QByteArray &bytes, const QString &tempSuffix);

private:
    void write(const QString &boardPath, const QByteArray &bytes) const;
    QByteArray read(const QString &boardPath) const;

    QString rootDir;
};

} // namespace sim
