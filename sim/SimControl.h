#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sim {

class SimBoard;
class SimRemoteServer;

// The simulator's command language: one text line in, one answer out. A
// person giving a demo and the scripts (screenshots, soak, crash test) use
// it to change what the console sees while it runs: temperatures, the DB9
// stop input, the driver board's faults, the valve EEPROM, the network
// cable and the USB stick; and what the remote server sends.
//
// An answer is zero or more lines that start with two spaces (help only),
// then exactly one line that starts with "ok" or "error: ", each ended by a
// line feed. Every input is bounded: the line length, each number's range
// and form, the files copied onto the stick.
class SimControl
{
public:
    static constexpr int maxLineLength = 1024;
    static constexpr qint64 maxStickBytes = 64 * 1024 * 1024;
    static constexpr int maxStickFiles = 256;

    // `board` and `server` may be null (simulator started without them).
    SimControl(const QString &root, SimBoard *board, SimRemoteServer *server = nullptr);

    // Runs one command line (without its line feed) and returns the answer.
    QByteArray execute(const QByteArray &line);

    // The command lines help lists, one per command.
    static QList<QByteArray> helpLines();

private:
    struct Args;

    QByteArray temp(const Args &args) const;
    QByteArray db9(const Args &args) const;
    QByteArray board(const Args &args) const;
    QByteArray eeprom(const Args &args) const;
    QByteArray net(const Args &args) const;
    QByteArray usb(const Args &args) const;
    QByteArray server(const Args &args) const;
    QByteArray status() const;

    QString eepromState() const;
    QString tempState(int channel) const;
    void writeAtomically(const QString &boardPath, const QByteArray &bytes) const;

    QString rootDir;
    SimBoard *boardSim;
    SimRemoteServer *serverSim;
};

} // namespace sim
