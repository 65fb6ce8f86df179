#include "GuiThread.h"

#include "ProcessObjects.h"

#include <QDebug>
#include <QState>
#include <QStateMachine>
#include <QTimer>

namespace {
GuiThread::Timing configuredTiming;
}

GuiThread::GuiThread(QObject *parent)
    : QThread(parent)
{
    timing = configuredTiming;
    serialLink.startComm();
    qDebug().noquote() << QStringLiteral("Serial Port Initialized ...........");

    param = ParamRecord();
    lastTx = ParamRecord();
    directCommand.clear();

    connect(&serialLink, &SerialPortIO::gotData, this, &GuiThread::GotDspData);

    buildMachines();
    buildTimers();
    dispenseInputTimer->start(100);

    // The wired link state is polled: a sysfs file is always "writable", so
    // a notifier on it would fire on every pass of the event loop. The first
    // look comes with the first tick, once the window shows: the start-up
    // sequence has just read the addresses itself, and each report costs the
    // window a shell pipeline.
    ethWatchTimer = new QTimer(this);
    connect(ethWatchTimer, &QTimer::timeout, this, [this] { readethStatus(0); });
    ethWatchTimer->start(timing.linkWatchMs);

    QTimer::singleShot(timing.reinitAfterStartMs, this, &GuiThread::reinitParamList);

    initAdcMaxStateMachine();
}

GuiThread::~GuiThread()
{
    quit();
    wait();
}

void GuiThread::run()
{
    exec();
    qDebug().noquote() << QStringLiteral("\nExiting the thread --------------------------\n");
}

void GuiThread::setTiming(const Timing &t)
{
    configuredTiming = t;
}

GuiThread::Timing GuiThread::defaultTiming()
{
    return Timing();
}

bool GuiThread::isIdle() const
{
    return idleState->active();
}

bool GuiThread::isCalibrating() const
{
    return calibRunState->active();
}

bool GuiThread::runTimerActive() const
{
    return runTimer->isActive();
}

bool GuiThread::heaterToggleActive() const
{
    return heaterToggleTimer->isActive();
}

void GuiThread::buildMachines()
{
    calibMachine = new QStateMachine(this);
    calibIdleState = new QState(calibMachine);
    calibRunState = new QState(calibMachine);
    calibIdleState->addTransition(this, &GuiThread::switchAdcMaxMachineState1, calibRunState);
    calibRunState->addTransition(this, &GuiThread::switchAdcMaxMachineState, calibIdleState);
    connect(calibIdleState, &QState::entered, this, &GuiThread::calibIdleStateDuty);
    connect(calibRunState, &QState::entered, this, &GuiThread::startMainCalibration);

    dispenseMachine = new QStateMachine(this);
    idleState = new QState(dispenseMachine);
    runState = new QState(dispenseMachine);
    finishState = new QState(dispenseMachine);
    idleState->addTransition(this, &GuiThread::runMachine, runState);
    runState->addTransition(this, &GuiThread::finishRun, finishState);
    finishState->addTransition(this, &GuiThread::restartRun, runState);
    finishState->addTransition(this, &GuiThread::stopMachine, idleState);
    runState->addTransition(this, &GuiThread::stopMachine, idleState);
    connect(runState, &QState::entered, this, &GuiThread::runStateSlot);
    connect(finishState, &QState::entered, this, &GuiThread::finishRunSlot);
    connect(idleState, &QState::entered, this, &GuiThread::idleStateSlot);
    dispenseMachine->setInitialState(idleState);
    dispenseMachine->start();
}

void GuiThread::buildTimers()
{
    auto make = [this](Qt::TimerType type, int interval, void (GuiThread::*slot)()) {
        QTimer *t = new QTimer(this);
        t->setSingleShot(true);
        t->setTimerType(type);
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, slot);
        return t;
    };
    runTimer = make(Qt::CoarseTimer, 80, &GuiThread::runStateSlot);
    restartTimer = make(Qt::PreciseTimer, repeatDelay, &GuiThread::restartRunSlot);
    runEndTimer = make(Qt::PreciseTimer, 0, &GuiThread::endRunAfterBoard);
    pacingTimer = make(Qt::PreciseTimer, 30, &GuiThread::transmitData_slot);
    preHeatTimer = make(Qt::CoarseTimer, timing.preHeatMs, &GuiThread::calibPreHeating);
    sampleTimer = make(Qt::CoarseTimer, timing.sampleMs, &GuiThread::calibPreHeating);
    doNotStopTimer = make(Qt::CoarseTimer, timing.doNotStopMs, &GuiThread::doNotStopSlot);
    heaterToggleTimer = make(Qt::CoarseTimer, 10, &GuiThread::togglerHeaterSlot);
    dispenseInputTimer = make(Qt::CoarseTimer, 100, &GuiThread::readInputDispenseCtrlValue);
}
