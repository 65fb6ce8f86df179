#include "SimNet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sim {

void SimNet::build(const QString &root)
{
    const SimNet net(root);
    if (!QFileInfo::exists(root + QStringLiteral("/sys/class/net/eth1/address")))
        net.setInterface(QStringLiteral("eth1"), "02:00:00:00:00:01");
    if (!QFileInfo::exists(root + QStringLiteral("/sys/class/net/wlan0/address")))
        net.setInterface(QStringLiteral("wlan0"), "02:00:00:00:00:02", "down");
}

SimNet::SimNet(const QString &root)
    : rootDir(root)
{
}

void SimNet::setInterface(const QString &name, const QByteArray &mac, const QByteArray &operstate) const
{
    const QString folder = QStringLiteral("sys/class/net/") + name;
    write(folder + QStringLiteral("/address"), mac + '\n');
    write(folder + QStringLiteral("/operstate"), operstate + '\n');
}

void SimNet::setScan(const QList<WifiNetwork> &networks) const
{
    QByteArray text;
    int station = 0;
    for (const WifiNetwork &network : networks) {
        ++station;
        text += "BSS 02:00:00:00:02:" + QByteArray::number(station, 16).rightJustified(2, '0') + "(on wlan0)\n";
        text += "\tfreq: 2412\n\tsignal: -50.00 dBm\n";
        text += "\tSSID: " + network.ssid.toUtf8() + '\n';
        if (network.secured)
            text += "\tRSN:\t * Version: 1\n\t\t * Group cipher: CCMP\n";
    }
    setScanText(text);
}

void SimNet::setScanText(const QByteArray &text) const
{
    write(QStringLiteral("sim/iw.scan"), text);
}

void SimNet::setDhcpLease(bool obtained) const
{
    write(QStringLiteral("sim/udhcpc.lease"), obtained ? "obtained\n" : "none\n");
}

void SimNet::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = rootDir + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}

} // namespace sim
