#pragma once

#include "Worker.h"

#include <QObject>
#include <QString>

// Reports the board's wired IPv4 and MAC addresses to the user interface.
// Created by QML as `networkObj`. The slots answer at once on the caller's
// thread; the address pipeline, which runs ifconfig, is also offered as a
// request answered later, for the window thread.
class NetworkSetup : public QObject
{
    Q_OBJECT

public:
    explicit NetworkSetup(QObject *parent = nullptr);

    // The interface the reports refer to ("eth1", or "enp0s25" on a development PC).
    QString interfaceName() const { return iface; }

signals:
    // The answer to getIpFromIfConfigAsync: what getIpFromIfConfig returns.
    void ipFromIfConfig(QString addresses);

public slots:
    QString get_ip_address();
    QString get_mac_address();
    QString getIpFromIfConfig();
    // Runs getIpFromIfConfig on the worker; false when refused.
    bool getIpFromIfConfigAsync();

private:
    QString iface;
    // One lookup running and one waiting at most: a request beyond that is
    // refused, as the waiting one has not started yet and will still see the
    // addresses as they are now. Last member, so it goes first.
    platform::Worker worker{QStringLiteral("address worker"), 2};
};
