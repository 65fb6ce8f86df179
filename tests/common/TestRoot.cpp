#include "TestRoot.h"

#include "SimRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace testroot {

static void refuse(const char *why)
{
    std::fprintf(stderr, "refusing to run: %s (run the test through ctest or tests/run_in_root.sh)\n", why);
    std::exit(2);
}

void prepare()
{
    const QString rootDir = qEnvironmentVariable("ZUM_ROOT");
    if (rootDir.isEmpty() || !QFileInfo(rootDir).isDir())
        refuse("ZUM_ROOT does not name a folder");
    const QString tools = qEnvironmentVariable("ZUM_SIM_TOOLS");
    const QString reboot = QStandardPaths::findExecutable(QStringLiteral("reboot"));
    if (tools.isEmpty() || QFileInfo(reboot).absolutePath() != QFileInfo(tools).absoluteFilePath())
        refuse("the simulator's fake tools are not first on PATH");
    sim::SimRoot::build(rootDir);
}

QString root()
{
    return qEnvironmentVariable("ZUM_ROOT");
}

QString path(const QString &boardPath)
{
    return root() + boardPath;
}

void writeFile(const QString &boardPath, const QByteArray &bytes)
{
    const QString file = path(boardPath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    QVERIFY2(out.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file));
    out.write(bytes);
}

QByteArray readFile(const QString &boardPath)
{
    QFile in(path(boardPath));
    if (!in.open(QIODevice::ReadOnly))
        return QByteArray();
    return in.readAll();
}

void start(QProcess &process, const QString &program, const QStringList &arguments)
{
    const QString emulator = qEnvironmentVariable("ZUM_EMULATOR");
    if (emulator.isEmpty())
        process.start(program, arguments);
    else
        process.start(emulator, QStringList{program} + arguments);
}

} // namespace testroot
