// Prints the longest time the window thread is held while the operator's
// slow page actions run with the board's tool times: the whole console
// in-process on the simulators, a 5 ms stall monitor on the window thread,
// and the script of bench/PageActions.cpp (login, settings submit, remote
// address change, address lookup, log export, Wi-Fi scan and joins, update
// from a stick, calibration start), each run to its end. One line per action,
// then the longest of all. Run through tests/run_in_root.sh; a tool's time
// comes from its ZUM_SIM_DELAY_<TOOL> when set, else from the board's.
#include "PageActions.h"
#include "StallMonitor.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testroot::prepare();
    const QList<QPair<QByteArray, QByteArray>> boardTimes = {{"IW", "2"}, {"UDHCPC", "3"}, {"WPA_SUPPLICANT", "1"},
                                                             {"MOUNT", "0.2"}};
    QList<QPair<QByteArray, QByteArray>> unset;
    for (const auto &time : boardTimes) {
        if (qEnvironmentVariableIsEmpty("ZUM_SIM_DELAY_" + time.first))
            unset.append(time);
    }
    pageactions::setToolDelays(unset);

    ConsoleFixture fx;
    pageactions::layOutRoot();
    if (!fx.startSimulators() || !fx.startConsole()) {
        std::fprintf(stderr, "bench_stall: the console did not come up\n");
        return 1;
    }
    platform::StallMonitor monitor(5);
    qint64 longest = 0;
    for (const pageactions::PageAction &action : pageactions::all()) {
        QElapsedTimer clock;
        clock.start();
        monitor.restart();
        const bool ended = action.start(fx) && pageactions::runUntil([&] { return action.ended(fx); }, 30000);
        const qint64 gap = monitor.longestGapMs();
        longest = std::max(longest, gap);
        std::printf("%-40s %6lld ms, longest window-thread stall %4lld ms%s\n", action.name,
                    static_cast<long long>(clock.elapsed()), static_cast<long long>(gap),
                    ended ? "" : "  DID NOT END");
        std::fflush(stdout);
    }
    std::printf("longest window-thread stall during the page actions: %lld ms\n", static_cast<long long>(longest));
    fx.stopConsole();
    return 0;
}
