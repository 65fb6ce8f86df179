// Over-temperature event log.
#include "FileIo.h"

void FileIo::ensureOverTemperatureLog()
{
}

void FileIo::logOverTemperatureEvent(int errorType, bool heatingOn, bool heatingActive, int setpoint,
                                     int temperature)
{
    Q_UNUSED(errorType);
    Q_UNUSED(heatingOn);
    Q_UNUSED(heatingActive);
    Q_UNUSED(setpoint);
    Q_UNUSED(temperature);
}

int FileIo::countFileLines(QString path)
{
    Q_UNUSED(path);
    return -1;
}

void FileIo::removeEventLines(QString path, int count)
{
    Q_UNUSED(path);
    Q_UNUSED(count);
}

void FileIo::copyOTLogToUSB()
{
}
