#include "GuiThread.h"

#include "ProcessObjects.h"

#include <QDebug>
#include <QState>
#include <QStateMachine>
#include <QTimer>

#include <cmath>
#include <limits>
#include <tuple>

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
        if (!mayStartDispensing(param, runMode))
            return;
        emit setRunInProgress(true);
        const float perCycle = float(param.fallTime) / 1000000.0f + float(param.riseTime) / 1000000.0f
            + float(param.dwell) / 1000000.0f + float(param.delay) / 1000000.0f;
        // The whole run, as the board times it: the screen stays on the run,
        // and takes no new profile or start, until the board is done.
        runDuration = perCycle * float(param.dispenseCycles) * 1000.0f;
        emit runMachine();
    } else if (runMode == 1) {
        if (state) {
            if (!mayStartDispensing(param, runMode))
                return;
            send(QStringLiteral("P05:1000000\r"));
            writeCompleted = false; // the board counts for the line run now
            lineRunPending = true;
            // Whatever came in the meantime (a stop, a hold, the release)
            // keeps the run command back.
            QTimer::singleShot(30, this, [this] {
                if (!lineRunPending || valveHeld)
                    return;
                lineRunPending = false;
                transmitRunCommand();
            });
            seqProfile = programValue;
        } else {
            stopController();
            directCommand = QStringLiteral("P05:") + QString::number(lastTx.dispenseCycles) + QLatin1Char('\r');
            QTimer::singleShot(30, this, &GuiThread::transmitAllData);
        }
    }
}

// Every start of dispensing comes through here, the repeated ones too.
// Nothing dispenses while a fault or stop holds the valve, nor with values
// other than `wanted`: unless the board confirmed holding them, they are
// written in full first, and the start is refused when that fails.
bool GuiThread::mayStartDispensing(const ParamRecord &wanted, int mode)
{
    if (valveHeld || stopDue()) {
        qDebug().noquote() << QStringLiteral("dispensing refused : a fault or stop holds the valve");
        return false;
    }
    const auto sent = [](const ParamRecord &r) {
        return std::make_tuple(r.dutyCycle, r.riseTime, r.dwell, r.fallTime, r.delay, r.dispenseCycles);
    };
    if (writeCompleted && boardMode == mode && sent(boardHolds) == sent(wanted))
        return true;
    if (exchangeBusy() || !writeRecord(wanted, mode)) {
        qDebug().noquote() << QStringLiteral("dispensing refused : the board did not take the parameters");
        return false;
    }
    return true;
}

// A purge runs the shown profile's pulse in dot mode until it is released.
GuiThread::ParamRecord GuiThread::purgeRecord() const
{
    ParamRecord purge = param;
    purge.dispenseCycles = 999999;
    return purge;
}

void GuiThread::setPurgeInThread(bool state)
{
    if (!state)
        transmitStopCommand();
    else if (mayStartDispensing(purgeRecord(), 0))
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
    lineRunPending = false;
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
    runEndTimer->stop();
    qDebug().noquote() << QStringLiteral("idleStateSlot : IDLE MODE !");
    if (initialised)
        exit(0);
}

void GuiThread::runStateSlot()
{
    if (!idleState->active()) {
        if (!runCommandSent) {
            // A refused start ends a repeat rather than trying again.
            if (!mayStartDispensing(param, runMode)) {
                runTimer->stop();
                stopController();
                return;
            }
            runCommandSent = true;
            runElapsed = 0;
            transmitRunCommand();
            runClock.start();
            // The profile's count stops at the largest count a profile holds.
            param.cycleCount = int(qMin<qint64>(qint64(param.cycleCount) + param.dispenseCycles, std::numeric_limits<int>::max()));
            emit counterUpdated(param.cycleCount);
        }
        if (runDuration < 500.0f) {
            endRunAfterBoard(); // too short for the progress ticks
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
    endRunAfterBoard();
}

// The ticks count coarsely and a short run has none: the screen leaves the
// run, and a repeat or another start may follow, only once the board is done.
void GuiThread::endRunAfterBoard()
{
    if (idleState->active() || !runCommandSent)
        return;
    const qint64 left = qint64(std::ceil(runDuration)) + boardRunMarginMs - runClock.elapsed();
    if (left > 0) {
        runEndTimer->start(int(left));
        return;
    }
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
