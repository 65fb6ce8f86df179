#include "WifiScan.h"

namespace wifiscan {

QList<QByteArray> classify(const QByteArray &scan, bool secured)
{
    QList<QByteArray> result;
    const QList<QByteArray> lines = scan.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains("SSID"))
            continue;
        bool advertisesRsn = false;
        for (int j = i + 1; j < lines.size() && !lines[j].contains("SSID"); ++j)
            advertisesRsn = advertisesRsn || lines[j].contains("RSN");
        if (advertisesRsn == secured)
            result.append(lines[i]);
    }
    return result;
}

} // namespace wifiscan
