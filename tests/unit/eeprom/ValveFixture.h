#pragma once

#include "SimOneWire.h"
#include "TestRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// A fresh valve bus and an empty data folder for each test case.
namespace valvefixture {

inline const QString &slave()
{
    static const QString name = QLatin1String(sim::SimOneWire::defaultSlave);
    return name;
}

inline QString mirrorPath()
{
    return QStringLiteral("/media/data/") + slave() + QStringLiteral("-1");
}

inline sim::SimOneWire bus()
{
    return sim::SimOneWire(testroot::root());
}

inline void reset()
{
    QDir(testroot::path(QLatin1String(sim::SimOneWire::masterDir))).removeRecursively();
    QDir data(testroot::path(QStringLiteral("/media/data")));
    const QFileInfoList entries = data.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                     | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            data.remove(entry.fileName());
    }
    bus().addSlave();
}

inline bool mirrorExists()
{
    return QFile::exists(testroot::path(mirrorPath()));
}

} // namespace valvefixture
