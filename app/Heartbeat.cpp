#include "Heartbeat.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>

Heartbeat::Heartbeat(QObject *parent)
    : QObject(parent)
    , path(qEnvironmentVariable("ZUM_HEARTBEAT_FILE"))
{
    if (path.isEmpty())
        return;
    // ZUM_HEARTBEAT_MS asks for a finer beat (5 ms at the finest) when
    // shorter stalls are to be seen.
    bool ok = false;
    const int interval = qEnvironmentVariableIntValue("ZUM_HEARTBEAT_MS", &ok);
    connect(&timer, &QTimer::timeout, this, &Heartbeat::beat);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(ok && interval > 0 ? std::max(interval, 5) : 100);
    beat();
}

// Written beside the file and renamed over it, so a watcher never reads a
// half-written count.
void Heartbeat::beat()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const QByteArray count = QByteArray::number(qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000) + '\n';
    const QString temp = path + QStringLiteral(".tmp");
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(count) != count.size())
        return;
    file.close();
    std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData());
}
