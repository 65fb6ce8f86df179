#include "GuiThread.h"

#include "ProcessObjects.h"

#include <QDebug>
#include <QState>
#include <QStateMachine>
#include <QTimer>

namespace {
const int samplesPerMeasurement = 10000;
const int readingsPerAverage = 16;
const int warmUpAverages = 4;
const int endThreshold = 300;
const int minimumPasses = 6;
const int looseValue = 300;
} // namespace

void GuiThread::initAdcMaxStateMachine()
{
    calibrationActive = false;
    tightReported = false;
    preHeatTimer->stop();
    sampleTimer->stop();
    calibMachine->setInitialState(calibIdleState);
    calibMachine->start();
}

void GuiThread::sendStartCalibrationSignal()
{
    if (valveHeld) {
        qDebug().noquote() << QStringLiteral("calibration refused : a fault or stop holds the valve");
        return;
    }
    calibrationActive = true;
    emit switchAdcMaxMachineState1();
}

void GuiThread::calibIdleStateDuty()
{
}

void GuiThread::startMainCalibration()
{
    tightReported = false;
    lastMaxValue = 2000;
    samplePasses = 0;
    sampleCount = 0;
    sampleSum = 0;
    averagesDone = 0;
    emit stopMachine();
    writeCompleted = false; // the board measures with settings of its own until the write after it
    endHeaterPhase();
    boardControl.setAdcPiezoSample(samplesPerMeasurement);
    pause(timing.settleMs);
    send(QStringLiteral("P20:\r"));
    preHeatTimer->stop();
    preHeatTimer->start(timing.preHeatMs);
    doNotStopTimer->start(timing.doNotStopMs);
}

void GuiThread::doNotStopSlot()
{
    if (!calibrationActive)
        return;
    doNotStopShown = true;
    emit donotStopSignal(true);
}

void GuiThread::calibPreHeating()
{
    if (doNotStopShown) {
        doNotStopShown = false;
        emit donotStopSignal(false);
    }

    endHeaterPhase(); // the measurement holds this thread
    boardControl.setAdcPiezoRun();
    pause(timing.settleMs);
    const int v = boardControl.readAdcPiezoMaxValue();
    lastMaxValue = v;

    if (sampleCount > readingsPerAverage - 1) {
        const int average = 10 * ((sampleSum / sampleCount) / 10);
        sampleCount = 0;
        sampleSum = 0;
        if (averagesDone < warmUpAverages) {
            ++averagesDone;
            emit gotMaxValue(9999);
        } else if (!tightReported) {
            tightReported = true;
            emit gotTightADCValue(looseValue, average);
        } else {
            emit gotMaxValue(average);
        }
    } else {
        ++sampleCount;
        sampleSum += v;
    }

    if ((v > endThreshold || samplePasses < minimumPasses) && calibrationActive) {
        ++samplePasses;
        sampleTimer->start(timing.sampleMs);
        return;
    }

    emit gotMaxValue(v);
    emit calibrationDone();
    emit switchAdcMaxMachineState();
    if (calibrationActive)
        restoreAfterCalibration();
}

void GuiThread::restoreAfterCalibration()
{
    calibrationActive = false;
    if (runMode == 0 || runMode == 1) {
        transmitData(runMode == 0 ? QStringLiteral("P12:0\r") : QStringLiteral("P12:1\r"));
        if (runMode == 1) {
            directCommand = QStringLiteral("P05:1000000\r");
            QTimer::singleShot(500, this, &GuiThread::transmitAllData);
        }
    }
    QTimer::singleShot(900, this, &GuiThread::reinitParamList);
}
