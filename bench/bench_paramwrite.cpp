// Prints how long one full parameter write holds the calling (user-interface)
// thread: the median of 20 writes to a board that answers at once, and the
// longest of 3 writes to a silent board. Run through tests/run_in_root.sh.
#include "CoreFixture.h"

#include <algorithm>
#include <cstdio>
#include <vector>

static std::vector<double> timeWrites(GuiThread &gui, int count)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer clock;
        clock.start();
        gui.forceWriteToSerialPort();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    testroot::prepare();
    corefixture::Bench bench;
    if (!bench.up())
        return 1;
    bench.gui->setProfileParams(1, 5, 100, 150, 10, 20, 30, 0, 0, 0);
    const std::vector<double> answered = timeWrites(*bench.gui, 20);
    const bool allDone = bench.gui->lastWriteCompleted();
    bench.board->setFaultMode(sim::BoardFault::Silent);
    const std::vector<double> silent = timeWrites(*bench.gui, 3);
    std::printf("full parameter write, answering board: median %.1f ms of %zu (min %.1f, max %.1f)%s\n",
                (answered[9] + answered[10]) / 2, answered.size(), answered.front(), answered.back(),
                allDone ? "" : " INCOMPLETE");
    std::printf("full parameter write, silent board: longest hold %.1f ms of %zu writes\n", silent.back(),
                silent.size());
    return 0;
}
