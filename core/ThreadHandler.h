#pragma once

#include "CommClientInterface.h"
#include "GuiThread.h"
#include "ValveCount.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The one object through which the pages reach the control logic, the input
// thread, the remote link and the EEPROM and over-temperature services. It
// forwards requests by direct calls and re-emits what those objects report
// under the names the pages use. Lives on the user-interface thread.
class ThreadHandler : public QObject
{
    Q_OBJECT
    // The valve's lifetime count, kept by the back end from the start.
    Q_PROPERTY(QObject *valveCount READ valveCountObject CONSTANT)
    Q_PROPERTY(QStringList heldFaults READ heldFaults NOTIFY heldFaultsChanged)

public:
    explicit ThreadHandler(QObject *parent = nullptr);
    ~ThreadHandler() override;

    // Read access for tests and diagnostics.
    QString currentSystemType() const { return systemType; }
    QString currentSystemCode() const { return systemCode; }
    QString currentErrorCode() const { return activeErrorCode; }
    QString currentShutdownRequestor() const { return shutdownRequestor; }
    bool shutdownIsLatched() const { return shutdownLatched != 0; }
    GuiThread &control() { return guiThread; }
    CommClientInterface &remoteLink() { return commClient; }
    ValveCount &valveCounter() { return valveCount; }
    QObject *valveCountObject() { return &valveCount; }

    // Every fault and stop that holds the valve, by the name the screen shows
    // ("PT ERR", "ESTOP", ...), oldest first. The services line, the DB15
    // any-error line, run and heater permission follow this alone.
    QStringList heldFaults() const;

signals:
    void gotConnectionStatus(bool onlineState);
    void counterUpdated(int repCount);
    void requestLoadProfile(int pro);
    void requestProfileUpdateFromServer(int pro);
    void monitorGui(float percent);
    void gotInputValues(float pT, float pV, float pC, float pcbT, float pcbV, float aT, float aV, float nZ);
    void setRunInProgress(bool runState);
    void waitForInit(int iniT);
    void faultUpdate(QString inp, bool state);
    void gotMaxValue(int adcMaxVal);
    void gotTightADCValue(int adcLooseVal, int adcTightVal);
    void calibrationDone();
    void serialCommsErrToQML();
    void donotStopSignal(bool sig);
    void giveDspData(QString dspData);
    void stopDispenseActivated(bool sig);
    void networkAvailable(bool st);
    void heldFaultsChanged();

public slots:
    void thSetAnyErrorOnDB15(bool state);
    void thLogOTError(int errorType, bool heatingOn, bool heatingActive, int setpoint, int temperature);
    void setSystemType(QString sys);
    bool exeSys(QString comm);
    bool writeEPROM(QString comd);
    QString readEPROM();
    void setPurge(bool state);
    void setServiceMode(bool state);
    void startGUIThread(QString machine);
    void runPressedReq(bool state);
    void setRunConfig(bool cycMode, int cycDelay, bool seqMode, int seqStart, int seqEnd);
    void setProfileParam(int l_programValue, int l_dispenseCycles, int l_dwell, int l_dutyCycle, int l_riseTime,
                         int l_fallTime, int l_delay, int l_cycleCount, int run_mode, int tuning);
    void gotUpdatedCounter(int repCount);
    void gotProfileLoadRequest(int pro);
    void gotProfileLoadRequestFromComm(int pro);
    void updateCounterFromGUI(int newCount);
    void sendTriggerModeFromGUI(bool triggerModeCamera);
    void updateRunState(bool runState);
    void sendP26();
    void txnPercenttoGUI(float percent);
    void txnInputValuestoGUI(float pT, float pV, float pC, float pcbT, float pcbV, float aT, float aV, float nZ);
    void SetPiezoTempFault(bool faultState);
    void setNozzleHeater(bool state);
    void thClearShutdownRequestor();
    void waitForInitSlot(int iniT);
    void gotCallForShutDown(QString inp, bool state);
    void informFaultToGUI(QString inp, bool state);
    void setPiezoTempExceedStatusOnDB15(bool exceeded);
    void iotStart(QString mc, QString hostName, int port);
    void tramsmitIOTPackage(QString profileName, QString dat);
    void transmitMISCPackage(QString miscData);
    void transmitErrorCodes(QString sev, QString err);
    void clearErrorCodes(QString errorCode);
    void updateOnlineStatus(bool onlineState);
    void sendStartCalibrationSignal();
    void handleAdcMaxValue(int adcMaxVal);
    void handleTightADCValue(int adcLooseVal, int adcTightVal);
    void handleCalibrationDone();
    void htCommsError();
    void stopCalibration();
    void donotStopSlot(bool sig);
    void changeInputThreadState(bool st);
    void GotDspData(QString dspData);
    void requestCycleCount();
    void GotStopDispenseActivated(bool sig);
    void gotNetworkAvailable(bool st);
    void setHeaterLED(bool state);

private:
    bool hold(const QString &entry, bool held);

    QString systemType;
    QString systemCode;
    QString iotMacAddress;
    QString iotHostName;
    QString activeErrorCode;
    int shutdownLatched = 0;
    QString shutdownRequestor;
    // One entry per input and requestor, oldest first: the input thread's
    // faults by their shown names, "NT ERR" for the nozzle (released by the
    // operator), "ESTOP" for the on-screen stop and "DB9" for the external one.
    QStringList heldEntries;
    GuiThread guiThread;
    CommClientInterface commClient;
    ValveCount valveCount;
};
