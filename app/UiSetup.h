#pragma once

#include <QString>

class QQuickWindow;

// What the console does before it loads its pages: the QML types the pages
// create and the bundled font. Shared by the executable and the tests that
// load the real pages.

// Registers the back-end types and the BuildOptions singleton, which tells
// the pages the server address the console was built with (the settings
// file's first-start value).
void registerQmlTypes(const QString &defaultServerIP = QStringLiteral(ZUM_DEFAULT_SERVER_IP));
void installBundledFont();

// The operating screen comes first: the tools the start-up asks for (the
// address lookup, the driver version, a Wi-Fi join) wait until the window has
// drawn its first frame, and so does the rest of the window's start-up
// sequence (firstFrameShown() in main.qml). Call holdToolsUntilFirstFrame()
// before loading the window and continueAfterFirstFrame() once it is loaded.
// Without a frame within a second (a window never exposed) both go on anyway.
void holdToolsUntilFirstFrame();
void continueAfterFirstFrame(QQuickWindow *window);
