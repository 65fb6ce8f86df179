#include "WifiScan.h"

namespace wifiscan {

QList<QByteArray> classify(const QByteArray &scan, bool secured)
{
    QList<QByteArray> result;
    int at = 0;
    // The next line with its line feed, if it has one.
    const auto readLine = [&scan, &at] {
        const int end = scan.indexOf('\n', at);
        const int next = end < 0 ? scan.size() : end + 1;
        const QByteArray line = scan.mid(at, next - at);
        at = next;
        return line;
    };
    while (at < scan.size()) {
        QByteArray ssidLine = readLine();
        if (!ssidLine.contains("SSID"))
            continue;
        if (at >= scan.size())
            break;
        const QByteArray next = readLine();
        if (next.contains("RSN") != secured)
            continue;
        if (ssidLine.endsWith('\n'))
            ssidLine.chop(1);
        result.append(ssidLine);
    }
    return result;
}

} // namespace wifiscan
