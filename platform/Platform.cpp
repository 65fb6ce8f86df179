#include "Platform.h"

#include <QSysInfo>

#include <cstdlib>
#include <sys/wait.h>

namespace platform {

QString rootPrefix()
{
    QString root = qEnvironmentVariable("ZUM_ROOT");
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    if (root == QLatin1String("/"))
        return QString();
    return root;
}

QString sysPath(const QString &boardPath)
{
    if (!boardPath.startsWith(QLatin1Char('/')))
        return boardPath;
    const QString root = rootPrefix();
    if (root.isEmpty() || boardPath == root || boardPath.startsWith(root + QLatin1Char('/')))
        return boardPath;
    return root + boardPath;
}

QString boardPath(const QString &realPath)
{
    const QString root = rootPrefix();
    if (!root.isEmpty() && realPath.startsWith(root + QLatin1Char('/')))
        return realPath.mid(root.size());
    return realPath;
}

QString shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellPath(const QString &boardPath)
{
    return shellQuote(sysPath(boardPath));
}

QByteArray mapCommand(const QByteArray &command)
{
    const QString root = rootPrefix();
    if (root.isEmpty())
        return command;
    static const char *const boardRoots[] = {
        "/media/", "/media ", "/sys/", "/dev/", "/etc/", "/usr/bin/", "/lib/modules/", "/var/run/",
    };
    const QByteArray quotedRoot = shellQuote(root).toLocal8Bit();
    QByteArray out;
    out.reserve(command.size() + 4 * quotedRoot.size());
    char quote = 0;
    for (int i = 0; i < command.size(); ++i) {
        const char c = command.at(i);
        if (quote) {
            out.append(c);
            if (c == quote)
                quote = 0;
            else if (c == '\\' && quote == '"' && i + 1 < command.size())
                out.append(command.at(++i));
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out.append(c);
            continue;
        }
        if (c == '\\' && i + 1 < command.size()) {
            // An escaped character (as in shellQuote's '\'') is never a word start.
            out.append(c);
            out.append(command.at(++i));
            continue;
        }
        const char prev = i == 0 ? ' ' : command.at(i - 1);
        const bool wordStart = prev == ' ' || prev == '\t' || prev == '>' || prev == '<' || prev == '=';
        if (c == '/' && wordStart) {
            const QByteArray rest = command.mid(i) + ' ';
            for (const char *boardRoot : boardRoots) {
                if (rest.startsWith(boardRoot) && !rest.startsWith("/dev/null")) {
                    out.append(quotedRoot);
                    break;
                }
            }
        }
        out.append(c);
    }
    return out;
}

int runShell(const QByteArray &command)
{
    return std::system(mapCommand(command).constData());
}

int exitCode(int status)
{
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

QString cpuArch()
{
    const QString forced = qEnvironmentVariable("ZUM_CPU_ARCH");
    if (!forced.isEmpty())
        return forced;
    return QSysInfo::currentCpuArchitecture();
}

} // namespace platform
