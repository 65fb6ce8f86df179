// The held set: every fault and stop that holds the valve, each input and
// requestor its own entry. The board's lines follow the set alone and change
// only when it fills or empties, whatever order the entries come and go in.
#include "ThreadHandler.h"

#include "ProcessObjects.h"

#include <QDebug>
#include <QHash>

namespace {

const QString nozzleEntry = QStringLiteral("NT ERR");
const QString db9Entry = QStringLiteral("DB9");

// The input thread's identifiers under the names the screen shows.
QString shownName(const QString &input)
{
    static const QHash<QString, QString> names = {{QStringLiteral("NOZZLE_TEMP"), nozzleEntry},
                                                  {QStringLiteral("PIEZO_TEMP"), QStringLiteral("PT ERR")},
                                                  {QStringLiteral("AMP_TEMP"), QStringLiteral("AT ERR")},
                                                  {QStringLiteral("BOOST_SUPPLY_TEMP"), QStringLiteral("BT ERR")},
                                                  {QStringLiteral("SUPPLY_VOLTAGE"), QStringLiteral("AV ERR")}};
    return names.value(input, input);
}

// Entries that only their own input may hold and release.
bool inputOwned(const QString &entry)
{
    static const QStringList owned = {QStringLiteral("PT ERR"), QStringLiteral("AT ERR"), QStringLiteral("BT ERR"),
                                      QStringLiteral("AV ERR"), db9Entry};
    return owned.contains(entry);
}

} // namespace

QStringList ThreadHandler::heldFaults() const
{
    QStringList shown;
    for (const QString &entry : heldEntries) {
        const QString name = entry == db9Entry ? QStringLiteral("ESTOP") : entry;
        if (!shown.contains(name))
            shown << name;
    }
    return shown;
}

bool ThreadHandler::hold(const QString &entry, bool held)
{
    if (held == heldEntries.contains(entry))
        return false;
    const QStringList shownBefore = heldFaults();
    if (held) {
        heldEntries.append(entry);
        if (heldEntries.size() == 1) {
            guiThread.shutDownContoller(entry, true);
            guiThread.setAnyErrorOnDB15(true);
            guiThread.holdValve(true);
            inputMonitor.setNozzleControl(false);
        }
    } else {
        heldEntries.removeOne(entry);
        // The input thread never releases the cold nozzle itself: the
        // operator did, so it may report it again.
        if (entry == nozzleEntry)
            inputMonitor.clearShutdownRequestor();
        if (heldEntries.isEmpty()) {
            guiThread.shutDownContoller(entry, false);
            guiThread.setAnyErrorOnDB15(false);
            guiThread.holdValve(false);
            inputMonitor.setNozzleControl(guiThread.heaterEnabled());
        }
    }
    shutdownLatched = heldEntries.isEmpty() ? 0 : 1;
    shutdownRequestor = heldEntries.value(0, QStringLiteral("NONE"));
    if (heldFaults() != shownBefore)
        emit heldFaultsChanged();
    return true;
}

// The screen's own requestors: the on-screen stop and the nozzle fault. The
// input thread's faults and the DB9 stop are held and released by their
// inputs only, so no page can release what an input still holds.
void ThreadHandler::gotCallForShutDown(QString inp, bool state)
{
    const QString entry = shownName(inp);
    if (inputOwned(entry)) {
        qDebug().noquote() << QStringLiteral("gotCallForShutDown: %1 is held by its input").arg(inp);
        return;
    }
    hold(entry, state);
}

void ThreadHandler::informFaultToGUI(QString inp, bool state)
{
    const QString entry = shownName(inp);
    // An unplugged valve loses its nozzle sensor too, in the same cycle: that
    // is no fault of its own, and the nozzle may report again later.
    if (entry == nozzleEntry && state && heldEntries.contains(QStringLiteral("PT ERR"))) {
        inputMonitor.clearShutdownRequestor();
        return;
    }
    if (hold(entry, state))
        emit faultUpdate(inp, state);
}

void ThreadHandler::GotStopDispenseActivated(bool sig)
{
    hold(db9Entry, sig);
    emit stopDispenseActivated(sig);
}

// The line follows the held set; a request against it is only logged.
void ThreadHandler::thSetAnyErrorOnDB15(bool state)
{
    qDebug().noquote() << QStringLiteral("thSetAnyErrorOnDB15 called: ") + (state ? "true" : "false");
    guiThread.setAnyErrorOnDB15(!heldEntries.isEmpty());
}

void ThreadHandler::thClearShutdownRequestor()
{
    inputMonitor.clearShutdownRequestor();
}

// While anything is held the heater stays off; the choice is kept for the release.
void ThreadHandler::setNozzleHeater(bool state)
{
    guiThread.setNozzleHeater(state);
    inputMonitor.setNozzleControl(guiThread.heaterEnabled());
}
