#include "GuiThread.h"

#include "InterfaceAddresses.h"
#include "Platform.h"
#include "ProcessObjects.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>
#include <QTimer>

void GuiThread::setNozzleHeater(bool state)
{
    heaterWanted = state;
    if (state && valveHeld) {
        qDebug().noquote() << QStringLiteral("setNozzleHeater : the valve is held, the heater stays off until released");
        return;
    }
    switchHeater(state);
}

void GuiThread::switchHeater(bool on)
{
    if (on) {
        // Logged first: the on-phase is 10 ms, file work belongs outside it.
        serialLink.writeToLog(QStringLiteral(" GUI Thread - setNozzleHeater : Update Heater State to TRUE TRUE"));
        boardControl.setNozzleHeater(true);
        heaterPhaseOn = true;
        heaterToggleTimer->start(10);
    } else {
        boardControl.setNozzleHeater(false);
        heaterPhaseOn = false;
        heaterToggleTimer->stop();
        serialLink.writeToLog(QStringLiteral(" GUI Thread - setNozzleHeater : Update Heater State to FALSE FALSE"));
    }
}

void GuiThread::togglerHeaterSlot()
{
    heaterPhaseOn = !heaterPhaseOn;
    boardControl.setNozzleHeater(heaterPhaseOn);
    heaterToggleTimer->start(heaterPhaseOn ? 10 : 110);
}

// Cuts an on-phase short before anything that holds this thread; the off
// phase then runs its full length.
void GuiThread::endHeaterPhase()
{
    if (!heaterPhaseOn)
        return;
    heaterPhaseOn = false;
    boardControl.setNozzleHeater(false);
    heaterToggleTimer->start(110);
}

void GuiThread::setHeaterLED(bool state)
{
    boardControl.setNozzleHeaterTargetOnDB15(state);
}

void GuiThread::setPiezoTempFult(bool state)
{
    // Cooling air runs while the piezo is over temperature.
    boardControl.turnPiezoAir(state);
}

void GuiThread::setAnyErrorOnDB15(bool isError)
{
    boardControl.setAnyErrorOnDB15(isError);
}

void GuiThread::setPiezoTempExceedStatusOnDB15(bool exceeded)
{
    boardControl.setPiezoTempExceedStatusOnDB15(exceeded);
}

void GuiThread::shutDownContoller(QString inp, bool state)
{
    serialLink.writeToLog(inp + (state ? QStringLiteral(" --- ShutDownContoller : TURNING OFF")
                                       : QStringLiteral(" --- ShutDownContoller : TURNING ON")));
    boardControl.shutDownServices(state);
}

// Set by the facade while any fault or stop holds the valve: what runs is
// stopped and the heater goes off; nothing starts again and the heater the
// operator asks for meanwhile comes on only with the release.
void GuiThread::holdValve(bool held)
{
    if (held == valveHeld)
        return;
    valveHeld = held;
    if (held) {
        transmitStopCommand();
        stopController();
        if (heaterWanted)
            switchHeater(false);
    } else if (heaterWanted) {
        switchHeater(true);
    }
}

void GuiThread::readethStatus(int dat)
{
    Q_UNUSED(dat);
    QString line;
    QFile state(platform::sysPath(QStringLiteral("/sys/class/net/eth1/operstate")));
    if (state.open(QIODevice::ReadOnly | QIODevice::Text))
        line = QTextStream(&state).readLine();
    state.close();
    const int up = line == QLatin1String("up") ? 1 : 0;
    if (up) {
        // DHCP gives the address a while after the link comes up: the link
        // is reported again whenever the addresses change, so that the page
        // re-reads them. The kernel's list costs no shell command.
        const QStringList addresses = timing.addresses ? timing.addresses() : netaddr::systemExternalIpv4();
        if (up == lastLinkState && addresses == lastAddresses)
            return;
        lastLinkState = up;
        lastAddresses = addresses;
        emit networkAvailable(true);
        return;
    }
    // Reported once at start and then only on changes.
    if (up == lastLinkState)
        return;
    lastLinkState = up;
    lastAddresses.clear();
    emit networkAvailable(false);
    // Emptied as "echo >" would, without starting a shell on this thread.
    QFile addresses(platform::sysPath(QStringLiteral("/media/data/ipaddress")));
    if (addresses.open(QIODevice::WriteOnly | QIODevice::Truncate))
        addresses.write("\n");
}