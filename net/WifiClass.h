#pragma once

#include "Worker.h"

#include <QObject>
#include <QString>
#include <QStringList>

// Switches wlan0 on and off, scans for networks and joins or leaves one, all
// through the board's network tools. Created by QML as `wifiClass`. The plain
// slots block the caller until the tools are done (a scan or a DHCP request
// takes seconds); the page uses the *Async requests, which run them on the
// object's worker thread, one at a time in the order asked, and answer by
// signal. Network names and pass phrases always reach the tools as single,
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
    // The answers to scanAsync and connectToSSIDAsync.
    void scanDone(QStringList ssids, QStringList secured, QStringList unsecured);
    void connectDone(QString ssid, bool joined);

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

    // Requests: each returns at once, false when the queue is full.
    bool setWifiStateAsync(bool state);
    // The three lists of getWifiSSIDs, getSecuredList and getUnSecuredList.
    bool scanAsync();
    // An open network when `passcode` is empty. A name with a problem is
    // refused at once (ssidRefused) and answered false without any tool.
    bool connectToSSIDAsync(const QString &ssid, const QString &passcode);
    bool disconnectFromSSIDAsync(const QString &ssid);

private:
    bool joinOpen(const QString &ssid);
    bool joinSecured(const QString &ssid, const QString &passcode);
    QStringList classifiedScan(bool secured);
    bool refused(const QString &ssid);
    void resetSupplicantConfig();
    bool leaseObtained();

    // A few requests may wait behind a join (the start-up join, then a
    // scan); beyond that they are refused. Last member, so it goes first.
    platform::Worker worker{QStringLiteral("Wi-Fi worker"), 4};
};
