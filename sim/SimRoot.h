#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace sim {

// One call of a fake shell tool: its name and its arguments as received.
struct ToolCall {
    QString tool;
    QStringList args;
};

// The fake board root: the folders the console reads and writes, and the
// files that steer and record the fake shell tools (sim/tools).
class SimRoot
{
public:
    // Lays out the folders of a fresh board root under `root` (kept if present).
    static void build(const QString &root);

    explicit SimRoot(const QString &root);

    QString root() const { return rootDir; }
    QString path(const QString &boardPath) const;

    void writeFile(const QString &boardPath, const QByteArray &bytes) const;
    QByteArray readFile(const QString &boardPath) const;

    // Devices (board paths such as "/dev/sda1") that the fake mount accepts;
    // every other mount fails with status 32.
    void setMountable(const QStringList &devices) const;
    // Creates device nodes (plain files) for USB candidates.
    void addDevice(const QString &boardPath) const;

    // Text the named fake tool prints (iw, udhcpc, dmesg, ifconfig ...).
    void setToolOutput(const QString &tool, const QByteArray &text) const;

    // Every fake tool call so far, oldest first, with board paths as the
    // console meant them (the root prefix taken off).
    QList<ToolCall> calls() const;
    QStringList callLines() const; // "tool arg arg" per call
    void clearCalls() const;

private:
    QString rootDir;
};

} // namespace sim
