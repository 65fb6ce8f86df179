// zumsim: stands in for everything outside the console during the demo.
// Builds a simulated board root, starts the simulated pieces and runs until
// interrupted.
#include "SimRoot.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
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
    parser.process(app);

    const QString root = QDir(parser.value(rootOption)).absolutePath();
    if (!parser.isSet(rootOption)) {
        QTextStream(stderr) << "zumsim: --root is required\n";
        return 2;
    }
    sim::SimRoot::build(root);

    QTextStream out(stdout);
    out << "zumsim: simulated root " << root << "\n";
    out << "zumsim: fake tool calls in " << root << "/sim/calls.log\n";
    out.flush();

    if (::pipe(signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    const int status = app.exec();
    out << "zumsim: stopped\n";
    return status;
}
