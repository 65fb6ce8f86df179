#include "FirstFrame.h"

#include <QApplication>
#include <QQmlApplicationEngine>

// The yardstick of the start-up and memory benchmark: an empty Qt Quick
// Controls 1 window of the console's size, started the way the console is.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick 2.4\n"
                    "import QtQuick.Controls 1.4\n"
                    "ApplicationWindow { width: 480; height: 272; visible: true; color: \"#333300\" }\n");
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window)
        return 1;
    window->showNormal();
    quitOnFirstFrameIfAsked(window);
    return app.exec();
}
