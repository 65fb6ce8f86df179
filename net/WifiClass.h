#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Switches wlan0 on and off, scans for networks and joins or leaves one, all
// through the board's network tools. Created by QML as `wifiClass`; every slot
// blocks the caller until the tools are done (a scan or a DHCP request takes
// seconds). Network names and pass phrases always reach the tools as single,
// quoted words, and a name no network can have never reaches them.
class WifiClass : public QObject
{
    Q_OBJECT

public:
    explicit WifiClass(QObject *parent = nullptr);

    // Why a network name cannot be joined ("" when it can): a name is 1 to
    // 32 bytes without control characters or double quotes, and does not
    // start with "-". Such text would become extra lines or options for the
    // tools and their configuration file.
    static QString ssidProblem(const QString &ssid);

signals:
    // A join was refused before any tool ran; `reason` says why, for the page.
    void ssidRefused(QString ssid, QString reason);

public slots:
    QString get_wifi_mac_address();
    void setWifiState(bool state);

    // Raw "SSID" lines of a fresh scan (for example "\tSSID: name"), split at
    // every line feed.
    QStringList getWifiSSIDs();
    // "SSID" lines whose following line advertises RSN, or does not.
    QStringList getSecuredList();
    QStringList getUnSecuredList();

    // Joins an open network, or a WPA network with a pass phrase; true when
    // the DHCP client obtained a lease. A name with a problem is refused:
    // false, with ssidRefused emitted.
    bool connectToSSID(const QString &ssid);
    bool connectToSSID(const QString &ssid, const QString &passcode);

    bool disconnectFromSSID(const QString &ssid);

private:
    QStringList classifiedScan(bool secured);
    bool refused(const QString &ssid);
    void resetSupplicantConfig();
    bool leaseObtained();
};
