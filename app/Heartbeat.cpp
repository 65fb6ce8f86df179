#include "Heartbeat.h"

#include <QFile>

#include <cstdio>
#include <ctime>

Heartbeat::Heartbeat(QObject *parent)
    : QObject(parent)
    , path(qEnvironmentVariable("ZUM_HEARTBEAT_FILE"))
{
    if (path.isEmpty())
        return;
    connect(&timer, &QTimer::timeout, this, &Heartbeat::beat);
    timer.start(100);
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
