#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>

class QState;
class QStateMachine;
class QTimer;

// The control object of the valve: turns run, purge, service, calibration
// and heater requests into driver-board commands and board outputs, times
// runs, and checks the board's echoes. It lives on the user-interface thread;
// its own thread only runs an idle event loop while a run or calibration is
// going, so every slot below runs on the thread that constructed it.
class GuiThread : public QThread
{
    Q_OBJECT

public:
    explicit GuiThread(QObject *parent = nullptr);
    ~GuiThread() override;

    // The eight values sent to the board, with their last transmitted copies.
    struct ParamRecord {
        int dispenseCycles = 0;
        int dwell = 0;
        int dutyCycle = 0;
        int riseTime = 0;
        int fallTime = 0;
        int delay = 0;
        int cycleCount = 0;
        int tuning = 0;
    };

    // Intervals shortened by tests, and the source of the board's addresses
    // that tests replace; the program keeps the defaults. Applies to objects
    // constructed afterwards.
    struct Timing {
        int reinitAfterStartMs = 7000;
        int preHeatMs = 12000;
        int sampleMs = 100;
        int doNotStopMs = 6000;
        int settleMs = 20;
        int linkWatchMs = 1000;
        QStringList (*addresses)() = nullptr; // null: the kernel's IPv4 list
    };
    // Attempts of one verified step before a full write gives up.
    static const int maxAttempts = 10;

    static void setTiming(const Timing &t);
    static Timing defaultTiming();
    const ParamRecord &params() const { return param; }
    const ParamRecord &transmitted() const { return lastTx; }
    int currentSeqProfile() const { return seqProfile; }
    float currentRunDuration() const { return runDuration; }
    bool isIdle() const;
    bool isCalibrating() const;
    bool runTimerActive() const;
    bool heaterToggleActive() const;
    // True when the last full parameter write had all its steps acknowledged
    // and nothing has changed the board's values since.
    bool lastWriteCompleted() const { return writeCompleted; }
    // The heater is asked for and nothing holds the valve.
    bool heaterEnabled() const { return heaterWanted && !valveHeld; }

signals:
    void runMachine();
    void finishRun();
    void restartRun();
    void stopMachine();
    void switchAdcMaxMachineState();
    void switchAdcMaxMachineState1();
    void updateProfile(int newProfile);
    void counterUpdated(int repCount);
    void txnIOTPackage(QString pName, QString qData);
    void txnPercent(float percent);
    void setRunInProgress(bool runState);
    void waitForInit(int iniT);
    void gotMaxValue(int adcMaxVal);
    void gotTightADCValue(int adcLooseVal, int adcTightVal);
    void calibrationDone();
    void gtCommsError();
    void donotStopSignal(bool sig);
    void giveDspData(QString dspData);
    void stopDispenseActivated(bool sig);
    void networkAvailable(bool st);

public slots:
    // Dispensing (GuiThreadDispense.cpp)
    void intializeVariables(QString machine);
    void setRunConfig(bool cyclicMode, int repeatDelay, bool seqMode, int seqStart, int seqEnd);
    void setRunButtonStatus(bool state);
    void setPurgeInThread(bool state);
    void setServiceModeInThread(bool state);
    void setCycleCount(int cycCnt);
    void requestCycleCount();
    void stopController();
    void transmitRunCommand();
    void transmitStopCommand();
    void idleStateSlot();
    void runStateSlot();
    void finishRunSlot();
    void restartRunSlot();
    void endRunAfterBoard();
    void readInputDispenseCtrlValue();

    // Transmission (GuiThreadTransmit.cpp)
    void setProfileParams(int l_programValue, int l_dispenseCycles, int l_dwell, int l_dutyCycle,
                          int l_riseTime, int l_fallTime, int l_delay, int l_cycleCount,
                          int run_mode, int tuning);
    void forceWriteToSerialPort();
    void checkAndWriteToSerialPort();
    void reinitParamList();
    void sendTriggerMode(bool triggerModeCamera);
    void gtSendP26();
    void transmitData(QString comm);
    void transmitData_slot();
    void transmitAllData();
    void GotDspData(QString dspData);
    void packAndEmitIOTPackage();

    // Calibration (GuiThreadCalibration.cpp)
    void initAdcMaxStateMachine();
    void sendStartCalibrationSignal();
    void calibIdleStateDuty();
    void startMainCalibration();
    void doNotStopSlot();
    void calibPreHeating();

    // Heater and board outputs (GuiThreadOutputs.cpp)
    void setNozzleHeater(bool state);
    void togglerHeaterSlot();
    void setHeaterLED(bool state);
    void setPiezoTempFult(bool state);
    void setAnyErrorOnDB15(bool isError);
    void setPiezoTempExceedStatusOnDB15(bool exceeded);
    void shutDownContoller(QString inp, bool state);
    void holdValve(bool held);
    void readethStatus(int dat);

protected:
    void run() override;

private:
    void buildMachines();
    void buildTimers();
    void restoreAfterCalibration();
    bool writeRecord(const ParamRecord &record, int mode);
    bool writeAllParameters(const ParamRecord &record, int mode);
    bool exchangeBusy() const;
    bool mayStartDispensing(const ParamRecord &wanted, int mode);
    ParamRecord purgeRecord() const;
    void switchHeater(bool on);
    bool exchangeMustWait(std::function<void()> later);
    bool pacedCommandHalfSent() const;
    // Every serial write and wait of this object goes through these: they end
    // a heater on-phase first, so that no wait can hold the heater on.
    bool send(const QString &text);
    void awaitReply();
    void pause(int ms);
    void endHeaterPhase();
    void stopPacingAtCommandEnd();
    bool stopDue() const;
    bool verifiedExchange(const QString &line, const QString &prefix, int value, bool rearmEachAttempt);
    static QString commandLine(const char *prefix, int value);

    bool initialised = false;
    int programValue = 0;
    int runMode = 2;
    bool cyclicMode = false;
    int repeatDelay = 1;
    bool seqMode = false;
    int seqStart = 0;
    int seqEnd = 0;
    int seqProfile = 1;
    float runDuration = 0.0f;
    int runElapsed = 0;
    // Since the run command went out: the run ends once the board's time for
    // it, and a margin for its own start, has passed.
    QElapsedTimer runClock;
    static const int boardRunMarginMs = 30;
    bool runCommandSent = false;
    bool lineRunPending = false; // a line press waits for its run command

    bool echoExpected = false;
    bool retryPending = false;
    int retryCount = 0;
    QString expectedPrefix;
    int expectedValue = 0;
    QString pacedQueue;
    bool pacedMidCommand = false; // the last paced character was not a CR
    bool pacingHaltAtCommandEnd = false;
    QString directCommand;

    bool calibrationActive = false;
    bool doNotStopShown = false;
    bool tightReported = false;
    int lastMaxValue = 2000;
    int samplePasses = 0;
    int sampleCount = 0;
    int sampleSum = 0;
    int averagesDone = 0;

    bool heaterPhaseOn = false;
    bool heaterWanted = false; // the operator's choice, kept while the valve is held
    bool valveHeld = false;    // a fault or stop holds the valve (set by the facade)
    QTimer *ethWatchTimer = nullptr;
    int lastLinkState = -1; // -1 before the first report, then 0 or 1
    QStringList lastAddresses; // reported with the link up

    ParamRecord param; // the operator's profile, as shown
    ParamRecord lastTx;
    bool writeInProgress = false;
    bool writeScheduled = false;
    // The board confirmed holding boardHolds in mode boardMode.
    bool writeCompleted = false;
    ParamRecord boardHolds;
    int boardMode = 2;
    Timing timing;

    QStateMachine *dispenseMachine = nullptr;
    QState *idleState = nullptr;
    QState *runState = nullptr;
    QState *finishState = nullptr;
    QStateMachine *calibMachine = nullptr;
    QState *calibIdleState = nullptr;
    QState *calibRunState = nullptr;

    QTimer *runTimer = nullptr;
    QTimer *restartTimer = nullptr;
    QTimer *runEndTimer = nullptr;
    QTimer *pacingTimer = nullptr;
    QTimer *preHeatTimer = nullptr;
    QTimer *sampleTimer = nullptr;
    QTimer *doNotStopTimer = nullptr;
    QTimer *heaterToggleTimer = nullptr;
    QTimer *dispenseInputTimer = nullptr;
};
