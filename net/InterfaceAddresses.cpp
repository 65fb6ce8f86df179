#include "InterfaceAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace netaddr {

namespace {

// Entries without an address exist (interfaces that have no address of any
// family, some tunnels), so ifa_addr is checked before use.
bool isIpv4(const ifaddrs *entry)
{
    return entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && entry->ifa_name;
}

in_addr ipv4Of(const ifaddrs *entry)
{
    return reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr;
}

QString render(in_addr address)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &address, text, sizeof text))
        return QString();
    return QString::fromLatin1(text);
}

// Frees the machine's list however the walk ends.
class SystemList
{
public:
    SystemList()
    {
        if (getifaddrs(&head) != 0)
            head = nullptr;
    }
    ~SystemList()
    {
        if (head)
            freeifaddrs(head);
    }
    SystemList(const SystemList &) = delete;
    SystemList &operator=(const SystemList &) = delete;
    const ifaddrs *get() const { return head; }

private:
    ifaddrs *head = nullptr;
};

} // namespace

QString lastIpv4Of(const ifaddrs *list, const QString &interfaceName)
{
    const QByteArray wanted = interfaceName.toLocal8Bit();
    QString result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (isIpv4(entry) && wanted == entry->ifa_name)
            result = render(ipv4Of(entry));
    }
    return result;
}

QStringList externalIpv4(const ifaddrs *list)
{
    QStringList result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!isIpv4(entry) || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const in_addr address = ipv4Of(entry);
        // 127/8 stays out even when it sits on an interface not flagged as loopback.
        if ((ntohl(address.s_addr) >> 24) == 127)
            continue;
        const QString text = render(address);
        if (!text.isEmpty())
            result.append(text);
    }
    return result;
}

QString systemIpv4Of(const QString &interfaceName)
{
    const SystemList list;
    return lastIpv4Of(list.get(), interfaceName);
}

QStringList systemExternalIpv4()
{
    const SystemList list;
    return externalIpv4(list.get());
}

} // namespace netaddr
