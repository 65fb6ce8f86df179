#include "ServerAddress.h"

#include <QStringList>

namespace remote {

QHostAddress serverAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return {};
    quint32 address = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return {};
        uint octet = 0;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
            octet = octet * 10 + uint(c.unicode() - '0');
        }
        if (octet > 255)
            return {};
        address = (address << 8) | octet;
    }
    // 0.x.x.x names this host or network, 224 and above multicast and
    // reserved ranges: no monitoring server is reached there.
    const quint32 first = address >> 24;
    if (first == 0 || first >= 224)
        return {};
    return QHostAddress(address);
}

} // namespace remote
