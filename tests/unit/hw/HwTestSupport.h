#pragma once

#include "SimRoot.h"
#include "SimSysfs.h"
#include "TestRoot.h"

#include <QDir>
#include <QStringList>
#include <QtGlobal>

// Debug lines captured while a test runs, as the message log shows them.
class MessageLog
{
public:
    MessageLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(&MessageLog::handler);
    }
    ~MessageLog() { qInstallMessageHandler(previous); }

    QStringList matching(const QString &prefix) const { return lines().filter(QRegExp(QLatin1Char('^') + QRegExp::escape(prefix))); }

private:
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }
    static void handler(QtMsgType, const QMessageLogContext &, const QString &text) { lines().append(text); }

    QtMessageHandler previous;
};

// A fresh simulated sysfs tree for every test function.
inline sim::SimSysfs freshSysfs()
{
    QDir(testroot::path(QStringLiteral("/sys"))).removeRecursively();
    QDir(testroot::path(QStringLiteral("/dev"))).removeRecursively();
    sim::SimRoot::build(testroot::root());
    sim::SimSysfs::build(testroot::root());
    return sim::SimSysfs(testroot::root());
}
