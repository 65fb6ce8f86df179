#include "GuiThread.h"

#include "EchoCheck.h"
#include "ProcessObjects.h"

#include <QDebug>
#include <QState>
#include <QTimer>

void GuiThread::setProfileParams(int l_programValue, int l_dispenseCycles, int l_dwell, int l_dutyCycle,
                                 int l_riseTime, int l_fallTime, int l_delay, int l_cycleCount,
                                 int run_mode, int tuning)
{
    programValue = l_programValue;
    runMode = run_mode;
    param.dispenseCycles = l_dispenseCycles;
    param.dwell = l_dwell;
    param.dutyCycle = l_dutyCycle;
    param.riseTime = l_riseTime;
    param.fallTime = l_fallTime;
    param.delay = l_delay;
    param.cycleCount = l_cycleCount;
    param.tuning = tuning;
    forceWriteToSerialPort();
    checkAndWriteToSerialPort();
    packAndEmitIOTPackage();
}

void GuiThread::forceWriteToSerialPort()
{
    // A write asked for while a reply is handled (a sequence step loads the
    // next profile), while another write runs or while a paced command is
    // half sent is done once that is over, with the record as it is then;
    // it is never dropped.
    const bool paced = pacedCommandHalfSent();
    if (exchangeBusy()) {
        writeCompleted = false; // the board holds other values until then
        if (!writeScheduled) {
            writeScheduled = true;
            QTimer::singleShot(paced ? pacingTimer->interval() : 0, this, [this] {
                writeScheduled = false;
                forceWriteToSerialPort();
            });
        }
        return;
    }
    writeRecord(param, runMode);
}

// The full write of `record` in `mode`; what the board confirmed is kept, so
// that a start can tell whether the board holds what it is to dispense with.
bool GuiThread::writeRecord(const ParamRecord &record, int mode)
{
    writeInProgress = true;
    writeCompleted = writeAllParameters(record, mode);
    writeInProgress = false;
    boardHolds = record;
    boardMode = mode;
    return writeCompleted;
}

// The serial port does not hand over replies from inside its own data
// notification, so an exchange that waits for one runs after it returns.
bool GuiThread::exchangeMustWait(std::function<void()> later)
{
    const bool paced = pacedCommandHalfSent();
    if (!exchangeBusy())
        return false;
    QTimer::singleShot(paced ? pacingTimer->interval() : 0, this, std::move(later));
    return true;
}

bool GuiThread::exchangeBusy() const
{
    return serialLink.isDelivering() || writeInProgress || pacedCommandHalfSent();
}

// The paced queue sends one character per tick; a line written between two
// of them would cut its command in two and the board would take neither.
bool GuiThread::pacedCommandHalfSent() const
{
    return pacedMidCommand && pacingTimer->isActive();
}

bool GuiThread::writeAllParameters(const ParamRecord &record, int mode)
{
    retryCount = 0; // failures of an earlier, abandoned write are not this one's
    echoExpected = false;
    send(QStringLiteral("\r"));
    awaitReply();

    struct Step {
        const char *prefix;
        int ParamRecord::*field;
    };
    static const Step steps[] = {
        {"P04:", &ParamRecord::dutyCycle},
        {"P00:", &ParamRecord::riseTime},
        {"P01:", &ParamRecord::dwell},
        {"P02:", &ParamRecord::fallTime},
        {"P03:", &ParamRecord::delay},
        {"P05:", &ParamRecord::dispenseCycles},
    };
    for (const Step &step : steps) {
        const int value = record.*step.field;
        lastTx.*step.field = value;
        if (!verifiedExchange(commandLine(step.prefix, value), QLatin1String(step.prefix), value, true))
            return false;
        retryCount = 0;
    }

    if (mode == 0 || mode == 1) {
        if (!verifiedExchange(commandLine("P12:", mode), QStringLiteral("P12:"), mode, true))
            return false;
        retryCount = 0;
    } else {
        qDebug().noquote() << QStringLiteral("---------- No Mode Paramater Updated ----------------");
    }
    return true;
}

bool GuiThread::verifiedExchange(const QString &line, const QString &prefix, int value, bool rearmEachAttempt)
{
    bool armed = true;
    for (int attempt = 1;; ++attempt) {
        // Only what arrives after this attempt's line went out can answer
        // it: a reply delivered while the line is written belongs to no attempt.
        echoExpected = false;
        send(line);
        echoExpected = rearmEachAttempt || armed;
        expectedPrefix = prefix;
        expectedValue = value;
        retryPending = echoExpected;
        awaitReply();
        if (!retryPending)
            return true;
        // Without re-arming, an echo once checked is not checked again.
        armed = echoExpected;
        if (stopDue()) {
            echoExpected = false;
            const QString msg = QStringLiteral("serial exchange abandoned for a stop : %1").arg(line.trimmed());
            qDebug().noquote() << msg;
            serialLink.writeToLog(msg);
            return false;
        }
        ++retryCount;
        qDebug().noquote() << QStringLiteral("serial retry");
        if (retryCount >= 4)
            emit gtCommsError();
        if (attempt >= maxAttempts) {
            // A board that never answers must not hold the user interface.
            echoExpected = false;
            const QString msg = QStringLiteral("serial exchange abandoned after %1 attempts : %2")
                                    .arg(maxAttempts)
                                    .arg(line.trimmed());
            qDebug().noquote() << msg;
            serialLink.writeToLog(msg);
            return false;
        }
    }
}

// The window thread's events wait while an exchange waits for replies. The
// stops that can be seen without them (the input thread's latched requests,
// the DB9 dispense-control input) are looked at between the waits, so that
// a stop does not queue behind a whole write the board never answers.
bool GuiThread::stopDue() const
{
    return !valveHeld && (inputMonitor.latchedRequests() != 0 || boardControl.getDispensingCtrlStatus() == 0);
}

void GuiThread::checkAndWriteToSerialPort()
{
}

void GuiThread::reinitParamList()
{
    // A board dispensing takes no values: the write waits for the run's end
    // (the run's start gave the board the shown values anyway).
    if (!idleState->active()) {
        QTimer::singleShot(500, this, &GuiThread::reinitParamList);
        return;
    }
    lastTx = ParamRecord();
    forceWriteToSerialPort();
    checkAndWriteToSerialPort();
}

void GuiThread::sendTriggerMode(bool triggerModeCamera)
{
    if (exchangeMustWait([this, triggerModeCamera] { sendTriggerMode(triggerModeCamera); }))
        return;
    qDebug().noquote() << QStringLiteral("GuiThread::sendTriggerMode(bool triggerModeCamera): ")
                              + (triggerModeCamera ? QStringLiteral("true") : QStringLiteral("false"));
    const int value = triggerModeCamera ? 1 : 0;
    retryCount = 0;
    verifiedExchange(commandLine("P28:", value), QStringLiteral("P28:"), value, false);
}

void GuiThread::gtSendP26()
{
    if (exchangeMustWait([this] { gtSendP26(); }))
        return;
    expectedPrefix = QStringLiteral("P26:");
    echoExpected = false;
    send(QStringLiteral("P26:\r"));
    awaitReply();
}

void GuiThread::transmitData(QString comm)
{
    if (!initialised)
        return;
    pacingTimer->stop();
    pacingHaltAtCommandEnd = false;
    pacedQueue.append(comm);
    pacingTimer->start(30);
}

void GuiThread::transmitData_slot()
{
    pacingTimer->stop();
    if (pacedQueue.isEmpty())
        return;
    const QString next = pacedQueue.left(1);
    pacedQueue.remove(0, 1);
    send(next);
    pacedMidCommand = next != QLatin1String("\r");
    if (pacingHaltAtCommandEnd && !pacedMidCommand) {
        pacingHaltAtCommandEnd = false;
        return;
    }
    pacingTimer->start(30);
}

// Stopping the paced queue leaves whole commands waiting, never half of one.
void GuiThread::stopPacingAtCommandEnd()
{
    if (pacingTimer->isActive() && pacedMidCommand)
        pacingHaltAtCommandEnd = true;
    else
        pacingTimer->stop();
}

void GuiThread::transmitAllData()
{
    send(directCommand);
}

bool GuiThread::send(const QString &text)
{
    endHeaterPhase();
    const bool sent = serialLink.writeData(text);
    if (!sent && serialLink.isOpen())
        emit gtCommsError();
    return sent;
}

void GuiThread::awaitReply()
{
    endHeaterPhase();
    serialLink.waitForReply();
}

void GuiThread::pause(int ms)
{
    endHeaterPhase();
    QThread::msleep(ms);
}

void GuiThread::GotDspData(QString dspData)
{
    emit giveDspData(dspData);
    retryPending = false;

    if (seqMode && dspData.contains(QLatin1String("P17"))) {
        seqProfile = seqProfile < seqEnd ? seqProfile + 1 : seqStart;
        emit updateProfile(seqProfile);
    }

    if (echoExpected) {
        if (!echocheck::answers(dspData, expectedPrefix, expectedValue))
            retryPending = true;
        echoExpected = false;
    }
}

void GuiThread::packAndEmitIOTPackage()
{
    // The values are written without closing quotes; the server reads them so.
    const QString text = QStringLiteral("{\"dispenseCycles\":\"%1,\"dwell\":\"%2,\"dutyCycle\":\"%3"
                                        ",\"riseTime\":\"%4,\"fallTime\":\"%5,\"mode\":\"%6"
                                        ",\"programValue\":\"1,\"delay\":\"%7,\"cycleCount\":\"%8"
                                        ",\"tuning\":\"%9}")
                             .arg(param.dispenseCycles)
                             .arg(param.dwell)
                             .arg(param.dutyCycle)
                             .arg(param.riseTime)
                             .arg(param.fallTime)
                             .arg(runMode)
                             .arg(param.delay)
                             .arg(param.cycleCount)
                             .arg(param.tuning);
    emit txnIOTPackage(QStringLiteral("1P.profile"), text);
}

QString GuiThread::commandLine(const char *prefix, int value)
{
    return QLatin1String(prefix) + QString::number(value) + QLatin1Char('\r');
}
