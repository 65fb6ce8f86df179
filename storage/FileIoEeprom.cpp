// Valve EEPROM record and its file mirror.
#include "FileIo.h"

bool FileIo::jetValveWriteEPROM(QString comd)
{
    Q_UNUSED(comd);
    return false;
}

QString FileIo::jetValveReadEPROM()
{
    return QString();
}

int FileIo::checkForLegacyEeprom()
{
    return -1;
}

int FileIo::writeEpromRecord(int count)
{
    Q_UNUSED(count);
    return -5;
}

int FileIo::epromFromFilesys(int mode, int *cycleCount, unsigned char *flags, QString *returnData)
{
    Q_UNUSED(mode);
    Q_UNUSED(cycleCount);
    Q_UNUSED(flags);
    Q_UNUSED(returnData);
    return -3;
}
