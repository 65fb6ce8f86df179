#include "WifiClass.h"

#include "NetShell.h"

namespace {
const QString supplicantConfig = QStringLiteral("/etc/wpa_supplicant.conf");
const QString dhcpLog = QStringLiteral("/media/data/wifiStatus.log");
}

bool WifiClass::connectToSSID(const QString &ssid)
{
    netshell::run(QByteArrayLiteral("ifconfig wlan0 up"));
    netshell::run("iw dev wlan0 connect " + netshell::quoted(ssid));
    netshell::run(QByteArrayLiteral("udhcpc -i wlan0 -q -n > /media/data/wifiStatus.log"));
    return leaseObtained();
}

bool WifiClass::connectToSSID(const QString &ssid, const QString &passcode)
{
    netshell::run(QByteArrayLiteral("killall wpa_supplicant"));
    // The redirection sits between the two words, as the tool's usage allows.
    netshell::run("wpa_passphrase " + netshell::quoted(ssid) + ">>" + netshell::path(supplicantConfig) + " "
                  + netshell::quoted(passcode));

    bool ok = false;
    const QByteArray config = netshell::readBoardFile(supplicantConfig, &ok);
    if (!ok) {
        qCWarning(lcNet) << "cannot read" << supplicantConfig;
        return false;
    }
    // The tool prints its complaint instead of a network block, into the file.
    if (config.contains("Passphrase must be 8..63 characters")) {
        resetSupplicantConfig();
        return false;
    }

    netshell::run(QByteArrayLiteral("ifconfig wlan0 up"));
    netshell::run(QByteArrayLiteral("wpa_supplicant -B -i wlan0 -c /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("udhcpc -i wlan0 -q -n> /media/data/wifiStatus.log"));
    return leaseObtained();
}

bool WifiClass::disconnectFromSSID(const QString &ssid)
{
    netshell::run("iw dev wlan0 disconnect " + netshell::quoted(ssid));
    resetSupplicantConfig();
    netshell::run(QByteArrayLiteral("killall wpa_supplicant"));
    return netshell::run(QByteArrayLiteral("ifconfig wlan0 down")) >= 0;
}

// Leaves the two-line configuration the supplicant starts from. The lines are
// quoted so that their paths stay the board's own even off the board.
void WifiClass::resetSupplicantConfig()
{
    netshell::run(QByteArrayLiteral("rm -f /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("echo 'ctrl_interface=/var/run/wpa_supplicant' >> /etc/wpa_supplicant.conf"));
    netshell::run(QByteArrayLiteral("echo 'update_config=1' >> /etc/wpa_supplicant.conf"));
}

bool WifiClass::leaseObtained()
{
    bool ok = false;
    const QByteArray status = netshell::readBoardFile(dhcpLog, &ok);
    if (!ok)
        qCWarning(lcNet) << "no DHCP client output in" << dhcpLog;
    return ok && status.contains("obtained");
}
