#pragma once

#include "SimOneWire.h"
#include "TestRoot.h"

#include <QDir>
#include <QFile>

// One valve on a fresh bus and an empty data folder for each test case.
namespace valvefixture {

inline sim::SimOneWire bus() { return sim::SimOneWire(testroot::root()); }
inline QString slave() { return QLatin1String(sim::SimOneWire::defaultSlave); }
inline QString mirrorPath() { return QStringLiteral("/media/data/") + slave() + QStringLiteral("-1"); }
inline QByteArray chipRecord() { return bus().eeprom().left(7); }

inline void reset()
{
    QDir(testroot::path(QLatin1String(sim::SimOneWire::masterDir))).removeRecursively();
    QDir(testroot::path(QStringLiteral("/media/data"))).removeRecursively();
    QDir().mkpath(testroot::path(QStringLiteral("/media/data")));
    bus().addSlave();
}

} // namespace valvefixture
