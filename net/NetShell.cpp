#include "NetShell.h"

#include "Platform.h"

#include <QFile>

Q_LOGGING_CATEGORY(lcNet, "zum.net")

namespace netshell {

int run(const QByteArray &command)
{
    const int status = platform::runShell(command);
    if (status < 0)
        qCWarning(lcNet).noquote() << "could not start the shell for:" << QString::fromUtf8(command);
    return status;
}

// A single quote inside the text is written as '"'"' rather than '\'': the
// board-path mapping of runShell() reads quotes but not backslashes outside
// them, and would otherwise lose track of where the quoted text ends.
QByteArray quoted(const QByteArray &text)
{
    QByteArray word = text;
    word.replace('\'', "'\"'\"'");
    return '\'' + word + '\'';
}

QByteArray quoted(const QString &text)
{
    return quoted(text.toUtf8());
}

QByteArray path(const QString &boardPath)
{
    return quoted(platform::sysPath(boardPath));
}

QByteArray readBoardFile(const QString &boardPath, bool *ok)
{
    QFile file(platform::sysPath(boardPath));
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return QByteArray();
    return file.readAll();
}

bool writeBoardFile(const QString &boardPath, const QByteArray &bytes)
{
    QFile file(platform::sysPath(boardPath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcNet).noquote() << "cannot write" << boardPath;
        return false;
    }
    return file.write(bytes) == bytes.size();
}

} // namespace netshell
