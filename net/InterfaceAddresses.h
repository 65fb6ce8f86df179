#pragma once

#include <QString>
#include <QStringList>

struct ifaddrs;

// Picks IPv4 addresses out of the kernel's interface address list. The walks
// take the list as an argument so they can be checked against hand-made lists;
// the system* helpers fetch and release the machine's own list.
namespace netaddr {

// IPv4 address of the named interface (exact name); when it has several, the
// one listed last. Empty when it has none.
QString lastIpv4Of(const ifaddrs *list, const QString &interfaceName);

// IPv4 addresses of every interface that is not a loopback, in list order.
QStringList externalIpv4(const ifaddrs *list);

QString systemIpv4Of(const QString &interfaceName);
QStringList systemExternalIpv4();

} // namespace netaddr
