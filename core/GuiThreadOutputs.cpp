#include "GuiThread.h"

#include "Platform.h"
#include "ProcessObjects.h"

#include <QFile>
#include <QTextStream>
#include <QTimer>

void GuiThread::setNozzleHeater(bool state)
{
    boardControl.setNozzleHeater(state);
    heaterPhaseOn = state;
    if (state) {
        heaterToggleTimer->start(10);
        serialLink.writeToLog(QStringLiteral(" GUI Thread - setNozzleHeater : Update Heater State to TRUE TRUE"));
    } else {
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

void GuiThread::readethStatus(int dat)
{
    Q_UNUSED(dat);
    QString line;
    QFile state(platform::sysPath(QStringLiteral("/sys/class/net/eth1/operstate")));
    if (state.open(QIODevice::ReadOnly | QIODevice::Text))
        line = QTextStream(&state).readLine();
    state.close();
    const int up = line == QLatin1String("up") ? 1 : 0;
    // Reported once at start and then only on changes.
    if (up == lastLinkState)
        return;
    lastLinkState = up;
    if (up) {
        emit networkAvailable(true);
    } else {
        emit networkAvailable(false);
        platform::runShell("echo > /media/data/ipaddress");
    }
}
