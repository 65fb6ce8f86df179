#pragma once

#include <QByteArray>
#include <QString>

// The one place that knows whether the program runs on the board or off it.
// ZUM_ROOT moves every absolute path under a folder of its own, ZUM_CPU_ARCH
// overrides the reported architecture; shell commands always run through
// /bin/sh so that tools are found on PATH.
namespace platform {

// ZUM_ROOT without a trailing slash, or "" on the board.
QString rootPrefix();

// Maps an absolute board path ("/media/data/x") to the path actually used;
// ".." is folded first, so the result never leaves the root. Relative paths
// and qrc: paths are returned unchanged.
QString sysPath(const QString &boardPath);

// Undoes sysPath: a path under the root prefix is returned as the board sees it.
QString boardPath(const QString &realPath);

// Quotes runtime text for a /bin/sh command line: the result is one word
// whatever the text holds.
QString shellQuote(const QString &text);

// sysPath() followed by shellQuote(): a board path ready for a command line.
QString shellPath(const QString &boardPath);

// Rewrites the unquoted board paths of a command line (/media/..., /sys/...,
// /dev/..., /etc/..., /usr/bin/..., /lib/modules/..., /var/run/...) to sit
// under the root prefix, ".." folded so that none climbs out of it. A path
// counts when it starts a word or follows a redirection, "=", ";", "|", "&",
// "(" or "`"; quoted text is left alone, so runtime text that went through
// shellQuote() or shellPath() is never rewritten.
QByteArray mapCommand(const QByteArray &command);

// Runs a command through the shell and returns what system() returns:
// the raw wait status, or -1 when no shell could be started. Board paths in
// the command are mapped with mapCommand() first.
int runShell(const QByteArray &command);

// Removes the files of a board folder whose names match a wildcard
// ("/media/data/myLog.txt*"), as "rm -f" would, without starting a shell:
// the old logs go at every start, before the first frame.
void removeFiles(const QString &boardPattern);

// Exit code of a wait status from runShell (-1 when the shell did not exit normally).
int exitCode(int status);

// The processor architecture the program should act on.
QString cpuArch();

} // namespace platform
