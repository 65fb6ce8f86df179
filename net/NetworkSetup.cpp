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

QString NetworkSetup::getIpFromIfConfig()
{
    netshell::run(QByteArrayLiteral("ifconfig  | grep 'inet addr:'| grep -v '127.0.0.1' | cut -d: -f2 | awk '{ print $1}'")
                  + QByteArrayLiteral(" > /media/data/ipaddress"));
    const QByteArray listed = netshell::readBoardFile(addressFile);
    if (!listed.trimmed().isEmpty())
        return QString::fromLatin1(listed);

    // Only the board's ifconfig says "inet addr:"; elsewhere the pipeline finds
    // nothing, so the kernel's own list gives the same answer in the same form.
    QByteArray lines;
    const QStringList addresses = netaddr::systemExternalIpv4();
    for (const QString &address : addresses)
        lines += address.toLatin1() + '\n';
    netshell::writeBoardFile(addressFile, lines);
    return QString::fromLatin1(lines);
}
