#include "WifiClass.h"

#include "NetShell.h"
#include "Platform.h"
#include "WifiScan.h"

#include <QFile>

WifiClass::WifiClass(QObject *parent)
    : QObject(parent)
{
}

QString WifiClass::get_wifi_mac_address()
{
    return QString::fromLatin1(netshell::readBoardFile(QStringLiteral("/sys/class/net/wlan0/address")));
}

void WifiClass::setWifiState(bool state)
{
    netshell::run(state ? QByteArrayLiteral("ifconfig wlan0 up") : QByteArrayLiteral("ifconfig wlan0 down"));
}

QStringList WifiClass::getWifiSSIDs()
{
    const QStringList nothing{QString()};
    setWifiState(true);
    if (netshell::run(QByteArrayLiteral("iw dev wlan0 scan | grep SSID > /media/data/wifiList.dat")) < 0)
        return nothing;
    bool ok = false;
    const QByteArray listed = netshell::readBoardFile(QStringLiteral("/media/data/wifiList.dat"), &ok);
    if (!ok) {
        qCWarning(lcNet) << "no scan result in /media/data/wifiList.dat";
        return nothing;
    }
    return QString::fromUtf8(listed).split(QLatin1Char('\n'));
}

QStringList WifiClass::getSecuredList()
{
    return classifiedScan(true);
}

QStringList WifiClass::getUnSecuredList()
{
    return classifiedScan(false);
}

// The scan is filtered to "SSID" and "RSN" lines and read by wifiscan::classify.
QStringList WifiClass::classifiedScan(bool secured)
{
    const QByteArray listFile = netshell::path(secured ? QStringLiteral("/media/data/wifisec.txt")
                                                       : QStringLiteral("/media/data/wifiunsec.txt"));
    netshell::run("rm -f " + listFile);
    netshell::run(QByteArrayLiteral("rm -f /media/data/wifi.txt"));
    netshell::run(QByteArrayLiteral("iw dev wlan0 scan | grep -E 'SSID|RSN' > /media/data/wifi.txt"));

    QStringList result;
    QFile scan(platform::sysPath(QStringLiteral("/media/data/wifi.txt")));
    if (!scan.open(QIODevice::ReadOnly)) {
        qCWarning(lcNet) << "no scan result in /media/data/wifi.txt";
        return result;
    }
    const QList<QByteArray> ssidLines = wifiscan::classify(scan.readAll(), secured);
    for (const QByteArray &ssidLine : ssidLines) {
        // printf rather than echo: dash's echo would act on backslashes in a name.
        netshell::run("printf '%s\\n' " + netshell::quoted(ssidLine) + " >> " + listFile);
        result.append(QString::fromUtf8(ssidLine));
    }
    return result;
}

bool WifiClass::setWifiStateAsync(bool state)
{
    return worker.post([this, state] {
        setWifiState(state);
        return QVariant();
    });
}

bool WifiClass::scanAsync()
{
    return worker.post(
        [this] { return QVariantList{getWifiSSIDs(), getSecuredList(), getUnSecuredList()}; },
        [this](const QVariant &answer) {
            const QVariantList lists = answer.toList();
            emit scanDone(lists.value(0).toStringList(), lists.value(1).toStringList(), lists.value(2).toStringList());
        });
}

// The name is judged here, so that the refusal reaches the page before the
// answer; the answer still goes through the queue to keep the order.
bool WifiClass::connectToSSIDAsync(const QString &ssid, const QString &passcode)
{
    const bool usable = !refused(ssid);
    return worker.post(
        [this, usable, ssid, passcode] {
            if (!usable)
                return false;
            return passcode.isEmpty() ? joinOpen(ssid) : joinSecured(ssid, passcode);
        },
        [this, ssid](const QVariant &joined) { emit connectDone(ssid, joined.toBool()); });
}

bool WifiClass::disconnectFromSSIDAsync(const QString &ssid)
{
    return worker.post([this, ssid] { return QVariant(disconnectFromSSID(ssid)); });
}
