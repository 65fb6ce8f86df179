// Prints how long one full parameter write holds the calling (user-interface)
// thread: the median of 20 writes to a board that answers at once, and the
// longest of 3 writes to a silent board. Run through tests/run_in_root.sh.
#include "CoreFixture.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::vector<double> timeWrites(GuiThread &gui, int count)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer clock;
        clock.start();
        gui.forceWriteToSerialPort();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    testroot::prepare();
    corefixture::Bench bench;
    if (!bench.up()) {
        std::fprintf(stderr, "the simulated board could not be reached\n");
        return 1;
    }
    bench.gui->setProfileParams(1, 5, 100, 150, 10, 20, 30, 0, 0, 0);

    const std::vector<double> answered = timeWrites(*bench.gui, 20);
    const bool allDone = bench.gui->lastWriteCompleted();
    // The line reset is answered by nothing, so its bounded wait is part of every write.
    QElapsedTimer clock;
    clock.start();
    serialLink.writeData(QStringLiteral("\r"));
    serialLink.waitForReply();
    const double resetWait = clock.nsecsElapsed() / 1e6;

    bench.board->setFaultMode(sim::BoardFault::Silent);
    const std::vector<double> silent = timeWrites(*bench.gui, 3);

    std::printf("full parameter write, answering board: median %.1f ms of %zu (min %.1f, max %.1f)%s\n",
                median(answered), answered.size(), *std::min_element(answered.begin(), answered.end()),
                *std::max_element(answered.begin(), answered.end()), allDone ? "" : " INCOMPLETE");
    std::printf("  of which the unanswered line-reset wait: %.1f ms; the seven verified steps: %.1f ms\n",
                resetWait, median(answered) - resetWait);
    std::printf("full parameter write, silent board: longest hold %.1f ms of %zu writes\n",
                *std::max_element(silent.begin(), silent.end()), silent.size());
    return 0;
}
