#pragma once

#include "MemoryOp.h"

#include <QObject>
#include <QString>
#include <QStringList>

// General file, USB and shell services of the console, plus the valve EEPROM
// and the over-temperature log. Created by QML as `fileIo` and as short-lived
// helpers by the back end; every call is synchronous on the caller's thread.
class FileIo : public QObject
{
    Q_OBJECT

public:
    explicit FileIo(QObject *parent = nullptr);
    ~FileIo() override;

    Q_INVOKABLE void copyOTLogToUSB();

    // Over-temperature event log.
    void logOverTemperatureEvent(int errorType, bool heatingOn, bool heatingActive,
                                 int setpoint, int temperature);
    void ensureOverTemperatureLog();
    int countFileLines(QString path);
    void removeEventLines(QString path, int count);

    // Valve EEPROM internals.
    int checkForLegacyEeprom();
    int writeEpromRecord(int count);
    int epromFromFilesys(int mode, int *cycleCount, unsigned char *flags, QString *returnData);

    QString currentValveEpromFilename;

public slots:
    bool writeUrl(QString url, QString contents);
    QString readUrl(QString url);
    bool write(QString name, QString contents);
    QString read(QString name);
    int runSystemCmd(QString cmd);
    bool mountUsb();
    bool unMountUsb();
    QStringList findFiles(QString dir, QString filter);
    QString getUsbMountPoint();
    QString cpuArch();
    void queueToWrite(QString name, QString contents);
    void startMemThread();
    void writeBKProfile(QString name);
    void recoverFile(QString name);
    bool jetValveWriteEPROM(QString comd);
    QString jetValveReadEPROM();
    bool exeSys(QString comm);

private:
    const char *usbMountPoint;
    MemoryOp memoryOp;
};
