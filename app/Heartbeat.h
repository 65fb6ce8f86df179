#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// An opt-in sign of life for the soak test: with ZUM_HEARTBEAT_FILE set, a
// timer on the user-interface thread rewrites that file every 100 ms (or every
// ZUM_HEARTBEAT_MS) with a monotonic millisecond count. A gap between two counts that a watcher
// sees is the time the user-interface thread was held.
class Heartbeat : public QObject
{
public:
    // Starts beating when the variable names a file; does nothing otherwise.
    explicit Heartbeat(QObject *parent = nullptr);

private:
    void beat();

    QTimer timer;
    QString path;
};
