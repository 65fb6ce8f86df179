#include "EchoCheck.h"

#include <QStringList>

namespace echocheck {

int echoedValue(const QString &reply)
{
    bool ok = false;
    const int value = reply.mid(4, 7).trimmed().toInt(&ok);
    return ok ? value : 0;
}

bool substituteAccepted(const QString &prefix, int sent, int echoed)
{
    static const QStringList zeroToOne = {"P00:", "P01:", "P02:", "P03:", "P05:"};
    static const QStringList capped = {"P01:", "P03:", "P05:"};
    if (sent == 0 && echoed == 1 && zeroToOne.contains(prefix))
        return true;
    if (sent >= 100001 && echoed == 100000 && capped.contains(prefix))
        return true;
    return prefix == QLatin1String("P04:") && sent >= 100 && echoed == 99;
}

bool answers(const QString &reply, const QString &prefix, int sent)
{
    if (reply.left(4) != prefix)
        return false;
    const int echoed = echoedValue(reply);
    return echoed == sent || substituteAccepted(prefix, sent, echoed);
}

} // namespace echocheck
