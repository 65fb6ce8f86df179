#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QSocketNotifier;

namespace sim {

class SimControl;

// Cuts a byte stream into command lines of at most `maxLength` bytes. A
// longer line is dropped up to its line feed and stands as one entry with
// `tooLong` set, so that it still gets its one answer.
class LineSplitter
{
public:
    struct Line {
        QByteArray text;
        bool tooLong = false;
    };

    explicit LineSplitter(int maxLength)
        : limit(maxLength)
    {
    }
    QList<Line> feed(const QByteArray &bytes);

private:
    QByteArray pending;
    int limit;
    bool skipping = false;
};

// Takes commands for a running simulator on its standard input and on a
// Unix socket (<root>/sim/control.sock); every line gets its answer on the
// channel it came from.
class ControlChannel : public QObject
{
    Q_OBJECT

public:
    explicit ControlChannel(SimControl &control, QObject *parent = nullptr);

    static QString socketPath(const QString &root);

    // Listens on the socket; false (with the reason in *why) when it cannot.
    bool listen(const QString &path, QString *why);
    // Reads commands from standard input until it ends.
    void watchStdin();

    // The client side: sends each command to the simulator listening at
    // `path`, prints the answers and returns 0 when every one was "ok", 1 when
    // one was an error, 2 when no simulator answered.
    static int send(const QString &path, const QStringList &commands);

private:
    QByteArray answer(const LineSplitter::Line &line);
    void acceptClient();
    void readStdin();

    SimControl &control;
    QLocalServer *server = nullptr;
    QSocketNotifier *stdinNotifier = nullptr;
    LineSplitter stdinLines;
};

} // namespace sim
