#include "ThreadHandler.h"

#include "FileIo.h"
#include "Platform.h"
#include "ProcessObjects.h"

#include <QDebug>

ThreadHandler::ThreadHandler(QObject *parent)
    : QObject(parent)
{
    systemType = QStringLiteral("NONE");
    activeErrorCode = QStringLiteral("0");

    connect(&commClient, &CommClientInterface::connectionStatus, this, &ThreadHandler::updateOnlineStatus);
    connect(&commClient, &CommClientInterface::loadProfile, this, &ThreadHandler::gotProfileLoadRequestFromComm);
    // The input thread's signals cross threads and arrive queued.
    connect(&inputMonitor, &InputThread::inputValues, this, &ThreadHandler::txnInputValuestoGUI);
    connect(&inputMonitor, &InputThread::piezoTempFault, this, &ThreadHandler::SetPiezoTempFault);
    connect(&inputMonitor, &InputThread::callForShutDown, this, &ThreadHandler::informFaultToGUI);
    connect(&inputMonitor, &InputThread::piezoTempExceeded, this, &ThreadHandler::setPiezoTempExceedStatusOnDB15);
    connect(&guiThread, &GuiThread::updateProfile, this, &ThreadHandler::gotProfileLoadRequest);
    connect(&guiThread, &GuiThread::counterUpdated, this, &ThreadHandler::gotUpdatedCounter);
    connect(&guiThread, &GuiThread::txnIOTPackage, this, &ThreadHandler::tramsmitIOTPackage);
    connect(&guiThread, &GuiThread::txnPercent, this, &ThreadHandler::txnPercenttoGUI);
    connect(&guiThread, &GuiThread::setRunInProgress, this, &ThreadHandler::updateRunState);
    connect(&guiThread, &GuiThread::waitForInit, this, &ThreadHandler::waitForInitSlot);
    connect(&guiThread, &GuiThread::gotMaxValue, this, &ThreadHandler::handleAdcMaxValue);
    connect(&guiThread, &GuiThread::gotTightADCValue, this, &ThreadHandler::handleTightADCValue);
    connect(&guiThread, &GuiThread::calibrationDone, this, &ThreadHandler::handleCalibrationDone);
    connect(&guiThread, &GuiThread::gtCommsError, this, &ThreadHandler::htCommsError);
    connect(&guiThread, &GuiThread::donotStopSignal, this, &ThreadHandler::donotStopSlot);
    connect(&guiThread, &GuiThread::giveDspData, this, &ThreadHandler::GotDspData);
    connect(&guiThread, &GuiThread::stopDispenseActivated, this, &ThreadHandler::GotStopDispenseActivated);
    connect(&guiThread, &GuiThread::networkAvailable, this, &ThreadHandler::gotNetworkAvailable);

    shutdownLatched = 0;
    shutdownRequestor = QStringLiteral("NONE");
}

// Members go in reverse order: the remote link first, then the control object.
ThreadHandler::~ThreadHandler() = default;

void ThreadHandler::thLogOTError(int errorType, bool heatingOn, bool heatingActive, int setpoint, int temperature)
{
    FileIo log;
    log.logOverTemperatureEvent(errorType, heatingOn, heatingActive, setpoint, temperature);
}

void ThreadHandler::setSystemType(QString sys)
{
    systemType = sys;
    if (sys == QLatin1String("JET_VALVE"))
        systemCode = QStringLiteral("11");
}

bool ThreadHandler::exeSys(QString comm)
{
    return platform::runShell(comm.toLatin1()) >= 0;
}

bool ThreadHandler::writeEPROM(QString comd)
{
    FileIo eeprom;
    return eeprom.jetValveWriteEPROM(comd);
}

QString ThreadHandler::readEPROM()
{
    FileIo eeprom;
    return eeprom.jetValveReadEPROM();
}

void ThreadHandler::setPurge(bool state)
{
    guiThread.setPurgeInThread(state);
}

void ThreadHandler::setServiceMode(bool state)
{
    guiThread.setServiceModeInThread(state);
}

void ThreadHandler::startGUIThread(QString machine)
{
    guiThread.intializeVariables(machine);
    inputMonitor.start(QThread::HighestPriority);
}

void ThreadHandler::runPressedReq(bool state)
{
    guiThread.start(QThread::HighPriority);
    guiThread.setRunButtonStatus(state);
}

void ThreadHandler::setRunConfig(bool cycMode, int cycDelay, bool seqMode, int seqStart, int seqEnd)
{
    guiThread.setRunConfig(cycMode, cycDelay, seqMode, seqStart, seqEnd);
}

void ThreadHandler::setProfileParam(int l_programValue, int l_dispenseCycles, int l_dwell, int l_dutyCycle,
                                    int l_riseTime, int l_fallTime, int l_delay, int l_cycleCount, int run_mode,
                                    int tuning)
{
    guiThread.setProfileParams(l_programValue, l_dispenseCycles, l_dwell, l_dutyCycle, l_riseTime, l_fallTime,
                               l_delay, l_cycleCount, run_mode, tuning);
}

void ThreadHandler::updateCounterFromGUI(int newCount)
{
    guiThread.setCycleCount(newCount);
}

void ThreadHandler::sendTriggerModeFromGUI(bool triggerModeCamera)
{
    guiThread.sendTriggerMode(triggerModeCamera);
}

void ThreadHandler::sendP26()
{
    guiThread.gtSendP26();
}

void ThreadHandler::SetPiezoTempFault(bool faultState)
{
    guiThread.setPiezoTempFult(faultState);
}

void ThreadHandler::setPiezoTempExceedStatusOnDB15(bool exceeded)
{
    guiThread.setPiezoTempExceedStatusOnDB15(exceeded);
}

void ThreadHandler::iotStart(QString mc, QString hostName, int port)
{
    iotMacAddress = mc;
    iotHostName = hostName;
    commClient.updateMcAdd(mc);
    commClient.requestNewConnection(hostName, port);
}

void ThreadHandler::sendStartCalibrationSignal()
{
    guiThread.start(QThread::HighPriority);
    guiThread.sendStartCalibrationSignal();
}

void ThreadHandler::stopCalibration()
{
    guiThread.transmitStopCommand();
    guiThread.stopController();
}

void ThreadHandler::changeInputThreadState(bool st)
{
    if (st)
        inputMonitor.start(QThread::HighestPriority);
}

void ThreadHandler::requestCycleCount()
{
    guiThread.requestCycleCount();
}

void ThreadHandler::setHeaterLED(bool state)
{
    guiThread.setHeaterLED(state);
}
