// zumsim: stands in for everything outside the console during the demo.
// Builds a simulated board root, starts the simulated pieces and runs until
// interrupted, taking commands on standard input and on <root>/sim/control.sock.
// With --send it is the client instead: it hands commands to the simulator
// running on that root and prints the answers.
#include "ControlChannel.h"
#include "SimBoard.h"
#include "SimControl.h"
#include "SimOneWire.h"
#include "SimRemoteServer.h"
#include "SimNet.h"
#include "SimRoot.h"
#include "SimSysfs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

namespace {

int signalPipe[2];

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Simulated board, driver board and remote server for the console");
    parser.addHelpOption();
    const QCommandLineOption rootOption("root", "Simulated board root to build and use", "dir");
    parser.addOption(rootOption);
    const QCommandLineOption noBoardOption("no-board", "Do not start the simulated valve driver board");
    parser.addOption(noBoardOption);
    const QCommandLineOption noServerOption("no-server", "Do not start the simulated remote monitoring server");
    parser.addOption(noServerOption);
    const QCommandLineOption serverPortOption("server-port", "Port of the simulated remote server on 127.0.0.1 (default: a free one)",
                                              "port", "0");
    parser.addOption(serverPortOption);
    const QCommandLineOption sendOption("send",
                                        "Send a command to the simulator already running on --root, print its answer "
                                        "and exit (repeatable; --send help lists the commands)",
                                        "command");
    parser.addOption(sendOption);
    const QCommandLineOption noStdinOption("no-stdin", "Take no commands on standard input");
    parser.addOption(noStdinOption);
    parser.process(app);

    const QString root = QDir(parser.value(rootOption)).absolutePath();
    if (!parser.isSet(rootOption)) {
        QTextStream(stderr) << "zumsim: --root is required\n";
        return 2;
    }
    if (parser.isSet(sendOption))
        return sim::ControlChannel::send(sim::ControlChannel::socketPath(root), parser.values(sendOption));
    sim::SimRoot::build(root);
    sim::SimNet::build(root);
    sim::SimSysfs::build(root);
    // One valve on the 1-Wire bus; a chip left by an earlier demo keeps its count.
    const sim::SimOneWire oneWire(root);
    if (oneWire.slaves().isEmpty()) {
        oneWire.addSlave();
        oneWire.putRecord(0, 1);
    }

    QTextStream out(stdout);
    out << "zumsim: simulated root " << root << "\n";
    out << "zumsim: fake tool calls in " << root << "/sim/calls.log\n";
    out << "zumsim: valve EEPROM in " << root << oneWire.eepromPath(oneWire.slaves().value(0)) << "\n";
    out.flush();

    sim::SimBoard board(root);
    if (!parser.isSet(noBoardOption)) {
        if (!board.start()) {
            QTextStream(stderr) << "zumsim: driver board failed: " << board.errorString() << "\n";
            return 1;
        }
        out << "zumsim: driver board on " << board.linkPath() << " -> " << board.slavePath() << "\n";
        out << "zumsim: driver board traffic in " << board.logPath() << "\n";
        out.flush();
    }

    // The remote server listens on 127.0.0.1 only; its port is also left in
    // sim/server.port for scripts that point the console at it.
    sim::SimRemoteServer server;
    if (!parser.isSet(noServerOption)) {
        if (!server.start(quint16(parser.value(serverPortOption).toUInt()))) {
            QTextStream(stderr) << "zumsim: remote server could not listen on 127.0.0.1\n";
            return 1;
        }
        server.setLogFile(root + "/sim/remote.log");
        server.setAutoPilot(true);
        QFile portFile(root + "/sim/server.port");
        if (portFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            portFile.write(QByteArray::number(server.port()) + '\n');
        out << "zumsim: remote server on 127.0.0.1:" << server.port() << ", exchanges in " << root
            << "/sim/remote.log\n";
        out.flush();
    }

    // Commands while it runs: the same ones on standard input and the socket.
    sim::SimControl control(root, parser.isSet(noBoardOption) ? nullptr : &board,
                            parser.isSet(noServerOption) ? nullptr : &server);
    sim::ControlChannel channel(control);
    QString why;
    const QString socket = sim::ControlChannel::socketPath(root);
    if (channel.listen(socket, &why))
        out << "zumsim: commands on standard input or with: zumsim --root " << root << " --send help\n";
    else
        QTextStream(stderr) << "zumsim: no control socket at " << socket << ": " << why << "\n";
    if (!parser.isSet(noStdinOption))
        channel.watchStdin();
    out.flush();

    if (::pipe(signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    const int status = app.exec();
    board.stop();
    out << "zumsim: stopped\n";
    return status;
}
