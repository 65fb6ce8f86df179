#include "NetworkSetup.h"

#include "InterfaceAddresses.h"
#include "NetShell.h"
#include "Platform.h"

#include <QDir>

namespace {
const QString addressFile = QStringLiteral("/media/data/ipaddress");
}

NetworkSetup::NetworkSetup(QObject *parent)
    : QObject(parent)
    , iface(QStringLiteral("eth1"))
{
    if (QDir(platform::sysPath(QStringLiteral("/sys/class/net/enp0s25"))).exists())
        iface = QStringLiteral("enp0s25");
}

QString NetworkSetup::get_ip_address()
{
    return netaddr::systemIpv4Of(iface);
}

QString NetworkSetup::get_mac_address()
{
    return QString::fromLatin1(netshell::readBoardFile(QStringLiteral("/sys/class/net/") + iface
                                                       + QStringLiteral("/address")));
}

// The board's ifconfig says "inet addr:"; the file holds one address per line,
// or nothing when no interface but the loopback has one (no cable, no lease).
QString NetworkSetup::getIpFromIfConfig()
{
    netshell::run(QByteArrayLiteral("ifconfig  | grep 'inet addr:'| grep -v '127.0.0.1' | cut -d: -f2 | awk '{ print $1}'")
                  + QByteArrayLiteral(" > /media/data/ipaddress"));
    return QString::fromLatin1(netshell::readBoardFile(addressFile));
}

bool NetworkSetup::getIpFromIfConfigAsync()
{
    return worker.post([this] { return QVariant(getIpFromIfConfig()); },
                       [this](const QVariant &addresses) { emit ipFromIfConfig(addresses.toString()); });
}
