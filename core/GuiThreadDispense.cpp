#include "GuiThread.h"

#include "ProcessObjects.h"

#include <QDebug>
#include <QState>
#include <QStateMachine>
#include <QTimer>

namespace {
const qint64 maxProfileCount = 2147483647;
}

void GuiThread::intializeVariables(QString machine)
{
    boardControl.init(machine);
    qDebug().noquote() << QStringLiteral("------------- Initialization Done !--------------");
    serialLink.writeToLog(QStringLiteral(">>>>>mpControl Initalized !"));
    initialised = true;
    if (idleState->active())
        exit(0);
    emit waitForInit(2000);
}

void GuiThread::setRunConfig(bool cyclic, int delayMs, bool seq, int start, int end)
{
    cyclicMode = cyclic;
    repeatDelay = delayMs;
    seqMode = seq;
    seqStart = start;
    seqEnd = end;
}

void GuiThread::setRunButtonStatus(bool state)
{
    if (runMode == 0) {
        if (!state)
            return;
        if (!idleState->active()) {
            // A press during a run is the operator's stop.
            transmitStopCommand();
            stopController();
            return;
        }
        if (!mayStartDispensing())
            return;
        emit setRunInProgress(true);
        const float perCycle = float(param.fallTime) / 1000000.0f + float(param.riseTime) / 1000000.0f
            + float(param.dwell) / 1000000.0f + float(param.delay) / 1000000.0f;
        runDuration = perCycle * float(param.dispenseCycles) * 600.0f;
        emit runMachine();
    } else if (runMode == 1) {
        if (state) {
            if (!mayStartDispensing())
                return;
            send(QStringLiteral("P05:1000000\r"));
            QTimer::singleShot(30, this, &GuiThread::transmitRunCommand);
            seqProfile = programValue;
        } else {
            stopController();
            directCommand = QStringLiteral("P05:") + QString::number(lastTx.dispenseCycles) + QLatin1Char('\r');
            QTimer::singleShot(30, this, &GuiThread::transmitAllData);
        }
    }
}

// Nothing dispenses while a fault or stop holds the valve, nor with values
// other than those shown: after a write that did not go through (the board
// kept the previous ones), the whole record is written again first.
bool GuiThread::mayStartDispensing()
{
    if (valveHeld) {
        qDebug().noquote() << QStringLiteral("dispensing refused : a fault or stop holds the valve");
        return false;
    }
    if (writeCompleted)
        return true;
    if (exchangeBusy())
        return false;
    writeInProgress = true;
    writeCompleted = writeAllParameters();
    writeInProgress = false;
    if (!writeCompleted)
        qDebug().noquote() << QStringLiteral("dispensing refused : the board did not take the parameters");
    return writeCompleted;
}

void GuiThread::setPurgeInThread(bool state)
{
    if (!state)
        transmitStopCommand();
    else if (mayStartDispensing())
        transmitRunCommand();
}

void GuiThread::setServiceModeInThread(bool state)
{
    if (state && valveHeld)
        return;
    transmitData(state ? QStringLiteral("P16:00\r") : QStringLiteral("P16:01\r"));
}

void GuiThread::setCycleCount(int cycCnt)
{
    param.cycleCount = cycCnt;
    lastTx.cycleCount = cycCnt;
}

void GuiThread::requestCycleCount()
{
    directCommand = QStringLiteral("P21:\r");
    QTimer::singleShot(100, this, &GuiThread::transmitAllData);
}

void GuiThread::stopController()
{
    emit stopMachine();
    preHeatTimer->stop();
    sampleTimer->stop();
    doNotStopTimer->stop();
    emit switchAdcMaxMachineState();
    if (calibrationActive)
        restoreAfterCalibration();
}

void GuiThread::transmitRunCommand()
{
    // The board needs the prefix and the terminator as two separate writes.
    send(QStringLiteral("P06:"));
    pause(20);
    send(QStringLiteral("\r"));
    pause(20);
    qDebug().noquote() << QStringLiteral(">>>>>>>> Thread : Executing Run Command --------");
}

void GuiThread::transmitStopCommand()
{
    send(QStringLiteral("x"));
}

void GuiThread::idleStateSlot()
{
    runCommandSent = false;
    emit txnPercent(0.01f);
    emit setRunInProgress(false);
    stopPacingAtCommandEnd();
    restartTimer->stop();
    runTimer->stop();
    qDebug().noquote() << QStringLiteral("idleStateSlot : IDLE MODE !");
    if (initialised)
        exit(0);
}

void GuiThread::runStateSlot()
{
    if (!idleState->active()) {
        if (!runCommandSent) {
            runCommandSent = true;
            runElapsed = 0;
            transmitRunCommand();
            // The profile's count stops at the largest count a profile holds.
            param.cycleCount = int(qMin<qint64>(qint64(param.cycleCount) + param.dispenseCycles, maxProfileCount));
            emit counterUpdated(param.cycleCount);
        }
        if (runDuration < 500.0f) {
            emit finishRun();
            return;
        }
        runElapsed += 80;
        if (float(runElapsed) < runDuration) {
            emit txnPercent(float(runElapsed) / runDuration * 100.0f);
            if (!runTimer->isActive())
                runTimer->start(80);
            else
                qDebug().noquote() << QStringLiteral("runStateSlot : runTimer already active");
            return;
        }
    }
    runTimer->stop();
    emit finishRun();
}

void GuiThread::finishRunSlot()
{
    if (runDuration > 500.0f) {
        runTimer->stop();
        emit txnPercent(0.01f);
    }
    if (!cyclicMode) {
        stopController();
        return;
    }
    if (!idleState->active()) {
        runCommandSent = false;
        if (!restartTimer->isActive())
            restartTimer->start(repeatDelay);
        else
            qDebug().noquote() << QStringLiteral("finishRunSlot : Timer already active");
        return;
    }
    stopController();
}

void GuiThread::restartRunSlot()
{
    restartTimer->stop();
    emit restartRun();
}

void GuiThread::readInputDispenseCtrlValue()
{
    if (boardControl.getDispensingCtrlStatus() == 0) {
        emit stopMachine();
        emit stopDispenseActivated(true);
    } else {
        emit stopDispenseActivated(false);
    }
    dispenseInputTimer->start(100);
}
