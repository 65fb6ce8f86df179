#include "SimRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sim {

void SimRoot::build(const QString &root)
{
    static const char *const folders[] = {
        "media/data", "media/usb", "dev", "etc", "usr/bin", "lib/modules", "var/run",
        "sys/class/gpio", "sys/class/pwm", "sys/class/net", "sys/devices/platform", "sim",
    };
    QDir dir(root);
    for (const char *folder : folders)
        dir.mkpath(QLatin1String(folder));
    QFile log(root + QStringLiteral("/sim/calls.log"));
    if (!log.exists() && log.open(QIODevice::WriteOnly))
        log.close();
}

SimRoot::SimRoot(const QString &root)
    : rootDir(root)
{
}

QString SimRoot::path(const QString &boardPath) const
{
    return rootDir + boardPath;
}

void SimRoot::writeFile(const QString &boardPath, const QByteArray &bytes) const
{
    const QString file = path(boardPath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}

QByteArray SimRoot::readFile(const QString &boardPath) const
{
    QFile in(path(boardPath));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void SimRoot::setMountable(const QStringList &devices) const
{
    writeFile(QStringLiteral("/sim/mountable"), devices.join(QLatin1Char('\n')).toLocal8Bit() + '\n');
}

void SimRoot::addDevice(const QString &boardPath) const
{
    writeFile(boardPath, QByteArray());
}

void SimRoot::setToolOutput(const QString &tool, const QByteArray &text) const
{
    writeFile(QStringLiteral("/sim/") + tool + QStringLiteral(".out"), text);
}

QList<ToolCall> SimRoot::calls() const
{
    QList<ToolCall> result;
    const QList<QByteArray> lines = readFile(QStringLiteral("/sim/calls.log")).split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        QStringList fields = QString::fromLocal8Bit(line).split(QLatin1Char('\t'));
        ToolCall call;
        call.tool = fields.takeFirst();
        for (QString &arg : fields) {
            if (arg.startsWith(rootDir + QLatin1Char('/')))
                arg = arg.mid(rootDir.size());
            arg.replace(QLatin1String("\\n"), QLatin1String("\n"));
            arg.replace(QLatin1String("\\t"), QLatin1String("\t"));
        }
        call.args = fields;
        result.append(call);
    }
    return result;
}

QStringList SimRoot::callLines() const
{
    QStringList lines;
    const QList<ToolCall> all = calls();
    for (const ToolCall &call : all)
        lines.append((QStringList(call.tool) + call.args).join(QLatin1Char(' ')));
    return lines;
}

void SimRoot::clearCalls() const
{
    writeFile(QStringLiteral("/sim/calls.log"), QByteArray());
}

} // namespace sim
