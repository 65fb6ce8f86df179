#pragma once

#include "MemoryOp.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <memory>

struct EpromRecord;

namespace platform {
class Worker;
}

// General file, USB and shell services of the console, plus the valve EEPROM
// and the over-temperature log. Created by QML as `fileIo` and as short-lived
// helpers by the back end. Its slots are synchronous on the caller's thread;
// the pages use the asynchronous requests (FileIoAsync.cpp), which run the
// same services on a worker thread and answer with a signal.
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

    // The 1-Wire name ("2d-" and 12 hex digits) of the one valve chip on the
    // bus after a fresh look, or "" when there is none or more than one.
    QString valveDevice();
    // The same from the listing as the last EEPROM operation left it; the
    // caller holds the EEPROM lock across both.
    QString listedValveDevice();
    // jetValveWriteEPROM that writes only to the chip named `device`.
    bool writeValveEPROM(QString device, QString comd);
    // Raises the mirror of a valve no longer fitted to `count`, so cycles it
    // dispensed before it was taken off are kept with it. Never lowers it.
    bool raiseValveMirror(const QString &device, qint64 count, int flags);

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

    // Lines of a small text file (at most 4 KiB, UTF-8), each without its
    // line end ("\n" or "\r\n"); empty when the file cannot be read or is
    // larger (FileIoLines.cpp).
    QStringList readLines(QString name);

private:
    // Valve EEPROM helpers (FileIoEeprom.cpp, FileIoMirror.cpp); the callers
    // hold the process-wide EEPROM lock.
    enum class ChipRead { Ok, CannotOpen, Failed };
    void refreshDeviceListing();
    void writeIfChanged(const QString &name, const QString &contents);
    bool writeEpromTo(const QString &device, const QString &comd);
    QString readDeviceListing();
    static QString eepromPathOf(const QString &listing);
    static QString deviceNameOf(const QString &listing);
    ChipRead readChipPass(const QString &eepromPath, unsigned char *record);
    bool writeChipTwice(const QString &eepromPath, const EpromRecord &record, bool announce);
    int writeChipRecord(const EpromRecord &record);
    QStringList findMirrors(const QString &mirrorName, bool logEachMatch);
    void reconcileAfterRead(int count, unsigned char flags, bool crcGood, QString *result);
    void updateMirrorAfterWrite(const QString &listing, const EpromRecord &record);

    const char *usbMountPoint;
    MemoryOp memoryOp;

    // Checked installs and exports through the USB stick (FileIoUpdate.cpp).
public:
    // Copies source over target through a staged, size-checked, flushed copy
    // moved in with one rename; the previous file stays as target + ".old".
    // Only a whole ARM program (executable) or kernel module is installed.
    // False, with nothing moved, when any step fails.
    Q_INVOKABLE bool installUpdate(QString source, QString target, bool executable);
    struct UpdateFile {
        QString source;
        QString target;
        bool executable = false;
    };
    // installUpdate for files that go in together or not at all: every one
    // is staged and checked before the first is moved in, and one that
    // cannot be moved in puts back those moved before it. One outcome per
    // file: "installed" (all went in), "failed" (this one was refused or
    // could not be moved in or put back) or "held" (left out for another).
    QStringList installUpdates(const QVector<UpdateFile> &files);
    // copyOTLogToUSB that reports whether a complete copy reached the stick.
    Q_INVOKABLE bool copyOTLogToUSBChecked();

    // Requests for the pages (FileIoAsync.cpp): each queues its work on this
    // object's worker thread and returns at once, false when the queue is
    // full; the answer comes by the signal named beside it, in the order the
    // requests were made. A request while others run waits its turn.
public:
    // exeSys, answer ignored.
    Q_INVOKABLE bool exeSysAsync(QString comm);
    // read, after every request made before it: readDone.
    Q_INVOKABLE bool readAsync(QString name);
    // Mounts the stick and reads a small text file on it: usbLinesRead.
    Q_INVOKABLE bool readUsbLinesAsync(QString name);
    // Mounts the stick and copies the over-temperature log to it:
    // otLogExported with "copied", "failed", "nolog" or "nostick".
    Q_INVOKABLE bool exportOTLogAsync();
    // Mounts the stick and installs what `folder` holds: "zuvc.ko" as
    // `driverTarget`, then "zumvalvecontroller" as `programTarget`.
    // updateFromUsbDone with "mounted" (bool), "driver" and "program" (each
    // "absent" or an outcome of installUpdates: both go in or neither).
    Q_INVOKABLE bool updateFromUsbAsync(QString folder, QString driverTarget, QString programTarget);

signals:
    void readDone(QString name, QString contents);
    void usbLinesRead(QString name, bool mounted, QStringList lines);
    void otLogExported(QString outcome);
    void updateFromUsbDone(QVariantMap result);

private:
    bool request(std::function<QVariant()> job, std::function<void(const QVariant &)> done = {});
    QString exportOTLog();
    QVariantMap updateFromUsb(const QString &folder, const QString &driverTarget, const QString &programTarget);

    // Made at the first request, so that the many short-lived helper
    // instances never have one. Last member: it is destroyed first, waiting
    // for a running job while the rest of the object still exists.
    std::unique_ptr<platform::Worker> worker;
};
