#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcNet)

// Small helpers shared by the network classes: running a tool, quoting the
// runtime text put on its command line, and reading the files it leaves.
namespace netshell {

// Runs a command line through the shell; returns what system() returns.
int run(const QByteArray &command);

// Runtime text (a network name, a pass phrase, a scanned line) as one shell
// word, whatever it holds.
QByteArray quoted(const QByteArray &text);
QByteArray quoted(const QString &text);

// A board path quoted for a command line, already moved under the root.
QByteArray path(const QString &boardPath);

// Whole contents of a board file; `ok` tells whether it could be opened.
QByteArray readBoardFile(const QString &boardPath, bool *ok = nullptr);

} // namespace netshell
