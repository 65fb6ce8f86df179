#pragma once

// The whole console in-process: the real back end and the real pages from the
// resource bundle, on the simulated board, valve chip and remote server.
// Tests find items by objectName and click them as an operator would.
#include "GuiThread.h"
#include "ProcessObjects.h"
#include "SimulatedBoard.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <functional>
#include <memory>

class ConsoleFixture : public SimulatedBoard
{
public:
    ConsoleFixture();
    ~ConsoleFixture();

    // Lays out the board and starts the simulators (once per test binary).
    bool startSimulators();
    // Loads the main window as the program does; true once it is shown with
    // the operating screen up. `atFirstFrame` runs on the window thread just
    // before the first frame takes the window's state.
    bool startConsole(const std::function<void()> &atFirstFrame = {});
    // Destroys the window and the back end it created, as a power cycle would.
    void stopConsole();

    QQuickWindow *window() const { return win; }
    QQuickItem *item(const char *objectName) const;
    // Clicks the centre of a visible, enabled item; false if it cannot be clicked.
    bool click(const char *objectName);
    // The window ("mainWindow"), an item, or one of the window's non-visual objects.
    QObject *object(const char *objectName) const;
    QVariant property(const char *objectName, const char *name) const;
    void setProperty(const char *objectName, const char *name, const QVariant &value) const;
    // Runs a piece of script in the main window's scope, where its ids and functions are known.
    QVariant run(const QString &script) const;
    // Calls a QML function of the item with that objectName (up to four arguments).
    QVariant call(const char *objectName, const char *function, const QVariantList &args = {}) const;
    // Serial bytes the console sent to the board since the last clear.
    QByteArray wire() const { return board->receivedBytes(); }
    void writeSettings() const;

private:
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *win = nullptr;
};
