#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

#include <cstdlib>
#include <cstring>
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

// An absolute path with ".", ".." and repeated slashes folded away, as the
// kernel would resolve them; ".." at the top stays at the top. A trailing
// slash is kept.
static QString foldPath(const QString &path)
{
    QStringList kept;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
        } else if (part != QLatin1String(".")) {
            kept.append(part);
        }
    }
    QString folded = QLatin1Char('/') + kept.join(QLatin1Char('/'));
    if (path.endsWith(QLatin1Char('/')) && !kept.isEmpty())
        folded += QLatin1Char('/');
    return folded;
}

// Folding first means no ".." can climb out of the root once it is put in front.
QString sysPath(const QString &boardPath)
{
    if (!boardPath.startsWith(QLatin1Char('/')))
        return boardPath;
    const QString root = rootPrefix();
    if (root.isEmpty())
        return boardPath;
    const QString folded = foldPath(boardPath);
    if (folded == root || folded.startsWith(root + QLatin1Char('/')))
        return folded;
    return root + folded;
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

// True when an unquoted path names something under one of the board's roots.
static bool isBoardPath(const QByteArray &path)
{
    static const char *const boardRoots[] = {
        "/media/", "/sys/", "/dev/", "/etc/", "/usr/bin/", "/lib/modules/", "/var/run/",
    };
    if (path == "/media")
        return true;
    for (const char *boardRoot : boardRoots) {
        if (path.startsWith(boardRoot))
            return true;
    }
    return false;
}

QByteArray mapCommand(const QByteArray &command)
{
    const QString root = rootPrefix();
    if (root.isEmpty())
        return command;
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
        // A word starts after a blank, a redirection, an assignment, or a
        // separator that begins another command (";", "|", "&", "(", "`").
        const char prev = i == 0 ? ' ' : command.at(i - 1);
        if (c == '/' && std::strchr(" \t\n<>=;|&(`", prev)) {
            int end = i;
            while (end < command.size() && !std::strchr(" \t\n;|&<>()`'\"$\\", command.at(end)))
                ++end;
            const QByteArray path = command.mid(i, end - i);
            const QByteArray folded = foldPath(QString::fromLocal8Bit(path)).toLocal8Bit();
            if ((isBoardPath(path) || isBoardPath(folded)) && folded != "/dev/null") {
                out.append(quotedRoot + folded);
                i = end - 1;
                continue;
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

void removeFiles(const QString &boardPattern)
{
    const QString path = sysPath(boardPattern);
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QDir dir(slash > 0 ? path.left(slash) : QStringLiteral("/"));
    const QStringList names = dir.entryList({path.mid(slash + 1)}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names)
        QFile::remove(dir.filePath(name));
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
