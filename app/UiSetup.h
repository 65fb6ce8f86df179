#pragma once

#include <QString>

// What the console does before it loads its pages: the QML types the pages
// create and the bundled font. Shared by the executable and the tests that
// load the real pages.

// Registers the back-end types and the BuildOptions singleton, which tells
// the pages the server address the console was built with (the settings
// file's first-start value).
void registerQmlTypes(const QString &defaultServerIP = QStringLiteral(ZUM_DEFAULT_SERVER_IP));
void installBundledFont();
