#pragma once

#include <QString>

// Channel 0 of one sysfs PWM chip; the duty file is opened on every change.
class Pwm
{
public:
    bool init(const QString &name, int chip, int periodNs);
    bool setDutyCycle(double percent);

    QString name() const { return channelName; }
    int period() const { return periodNs; }
    QString dutyPath() const { return dutyFile; }

private:
    int chipNumber = 0;
    QString channelName;
    int periodNs = 0;
    QString dutyFile;
};
