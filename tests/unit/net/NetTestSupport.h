#pragma once

#include "SimNet.h"
#include "SimRoot.h"
#include "TestRoot.h"

#include <QFile>
#include <QList>
#include <QStringList>

// Shared by the network tests: the fake tools' call log as lists of
// words (tool first), and a clean slate between cases.
namespace nettest {

inline sim::SimRoot simRoot()
{
    return sim::SimRoot(testroot::root());
}

inline sim::SimNet simNet()
{
    return sim::SimNet(testroot::root());
}

inline QList<QStringList> calls()
{
    QList<QStringList> result;
    const QList<sim::ToolCall> all = simRoot().calls();
    for (const sim::ToolCall &call : all)
        result.append(QStringList(call.tool) + call.args);
    return result;
}

inline QStringList words(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

// Forgets earlier calls, scans, leases and supplicant configuration.
inline void reset()
{
    simRoot().clearCalls();
    for (const char *file : {"/sim/iw.scan", "/sim/udhcpc.lease", "/etc/wpa_supplicant.conf",
                             "/media/data/wifiStatus.log", "/media/data/ipaddress", "/sim/ifconfig.out"})
        QFile::remove(testroot::path(QLatin1String(file)));
    sim::SimNet::build(testroot::root());
}

} // namespace nettest
