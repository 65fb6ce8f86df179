#include "Globals.h"
#include "FirstFrame.h"
#include "Heartbeat.h"
#include "UiSetup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDebug>
#include <QDesktopWidget>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QUrl>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption serialPortOption(QStringList() << "p" << "serial_port",
                                              "Controller serial port", "serialPort");
    const QCommandLineOption cmdOption(QStringList() << "c" << "cmd", "Controller command", "cmd");
    const QCommandLineOption devOption(QStringList() << "d" << "dev", "Development mode, windowed screen)");
    const QCommandLineOption debugOption(QStringList() << "D" << "debug", "enabled debug messages");
    parser.addOption(serialPortOption);
    parser.addOption(cmdOption);
    parser.addOption(devOption);
    parser.addOption(debugOption);
    const QCommandLineOption helpOption = parser.addHelpOption();
    parser.process(app);

    qDebug() << "ZUM Valve Controller";

    if (parser.isSet(helpOption))
        parser.showHelp(0);

    // The serial port is fixed; -p and -d are accepted for compatibility only.
    const QString serialPort = parser.value(serialPortOption);
    const QString command = parser.value(cmdOption);
    Q_UNUSED(serialPort);
    Q_UNUSED(parser.isSet(devOption));
    cDebug = parser.isSet(debugOption) ? 1 : 0;

    if (!command.isEmpty())
        return 0;

    registerQmlTypes();
    installBundledFont();

    QQmlApplicationEngine engine;
    holdToolsUntilFirstFrame();
    engine.load(QUrl(QStringLiteral("qrc:///qml/main.qml")));
    QObject::connect(&engine, &QQmlApplicationEngine::quit, &app, &QApplication::quit);

    const QList<QObject *> roots = engine.rootObjects();
    mainQMLObject = roots.isEmpty() ? nullptr : roots.first();
    QQuickWindow *window = qobject_cast<QQuickWindow *>(mainQMLObject);
    if (!window)
        qFatal("Error: Your root item has to be a Window.");
    engine.setIncubationController(window->incubationController());

    const QRect desk = QApplication::desktop()->geometry();
    qDebug().noquote() << "Desk size " << desk.width() << desk.height();

    window->setHeight(272);
    window->setWidth(480);
    window->showNormal();
    continueAfterFirstFrame(window);
    quitOnFirstFrameIfAsked(window);
    Heartbeat heartbeat;

    return app.exec();
}
