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

// Bytes from a scan need not be valid UTF-8: Latin-1 carries them unchanged.
QByteArray quoted(const QByteArray &text)
{
    return platform::shellQuote(QString::fromLatin1(text)).toLatin1();
}

QByteArray quoted(const QString &text)
{
    return platform::shellQuote(text).toUtf8();
}

QByteArray path(const QString &boardPath)
{
    return platform::shellPath(boardPath).toUtf8();
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

} // namespace netshell
