#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sim {

// One network as the fake `iw ... scan` reports it.
struct WifiNetwork {
    QString ssid;
    bool secured = false;
};

// The network side of the fake board: interface files under /sys/class/net
// and what the fake iw and udhcpc answer.
class SimNet
{
public:
    // Gives eth1 and wlan0 an address and operstate file unless they have one.
    static void build(const QString &root);

    explicit SimNet(const QString &root);

    // Creates /sys/class/net/<name>/{address,operstate}; `mac` is written with
    // a line feed, as the kernel does.
    void setInterface(const QString &name, const QByteArray &mac, const QByteArray &operstate = "up") const;

    // What `iw dev wlan0 scan` prints: one BSS block per network, secured ones
    // with an RSN element. An empty list is a scan that finds nothing.
    void setScan(const QList<WifiNetwork> &networks) const;
    // The scan output verbatim, for layouts a list of networks cannot give.
    void setScanText(const QByteArray &text) const;

    // Whether the next `udhcpc` calls obtain a lease (they do unless told not to).
    void setDhcpLease(bool obtained) const;

private:
    void write(const QString &relative, const QByteArray &bytes) const;

    QString rootDir;
};

} // namespace sim
