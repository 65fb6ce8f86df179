#pragma once

#include "SimRoot.h"
#include "SimSysfs.h"
#include "TestRoot.h"

#include <QDir>

// A fresh simulated sysfs tree for every test function.
inline sim::SimSysfs freshSysfs()
{
    QDir(testroot::path(QStringLiteral("/sys"))).removeRecursively();
    QDir(testroot::path(QStringLiteral("/dev"))).removeRecursively();
    sim::SimRoot::build(testroot::root());
    sim::SimSysfs::build(testroot::root());
    return sim::SimSysfs(testroot::root());
}
