#pragma once

#include <QObject>
#include <QString>

// Reports the board's wired IPv4 and MAC addresses to the user interface.
// Created by QML as `networkObj`; every slot answers at once on the caller's thread.
class NetworkSetup : public QObject
{
    Q_OBJECT

public:
    explicit NetworkSetup(QObject *parent = nullptr);

    // The interface the reports refer to ("eth1", or "enp0s25" on a development PC).
    QString interfaceName() const { return iface; }

public slots:
    QString get_ip_address();
    QString get_mac_address();
    QString getIpFromIfConfig();

private:
    QString iface;
};
