// Prints the CPU time the input thread itself uses over a stretch of wall
// time against the simulated sysfs tree. Run through tests/run_in_root.sh:
//   tests/run_in_root.sh build/bench/bench_inputthread [seconds] [pause-ms]
// A pause other than the board's 5 ms shows how much of the cost is the
// sleeping itself (each wake-up costs the thread some CPU of its own).
#include "InputThread.h"
#include "SimRoot.h"
#include "SimSysfs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include <atomic>
#include <ctime>
#include <pthread.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString root = qEnvironmentVariable("ZUM_ROOT");
    if (root.isEmpty() || !QFileInfo(root).isDir()) {
        QTextStream(stderr) << "ZUM_ROOT must name a simulated root (use tests/run_in_root.sh)\n";
        return 2;
    }
    sim::SimRoot::build(root);
    sim::SimSysfs::build(root);
    const int seconds = argc > 1 ? QString(argv[1]).toInt() : 10;

    InputThread input;
    if (argc > 2)
        input.setReadPauseMs(QString(argv[2]).toInt());
    std::atomic<long> cycles{0};
    std::atomic<bool> haveClock{false};
    clockid_t threadClock{};
    // Runs on the input thread: take its CPU clock from the inside.
    QObject::connect(&input, &InputThread::inputValues, &input, [&](float, float, float, float, float, float, float, float) {
        if (!haveClock.load()) {
            pthread_getcpuclockid(pthread_self(), &threadClock);
            haveClock.store(true);
        }
        cycles.fetch_add(1);
    }, Qt::DirectConnection);

    input.start(QThread::HighestPriority);
    while (!haveClock.load())
        QThread::msleep(1);

    auto cpuNs = [&] {
        timespec ts{};
        clock_gettime(threadClock, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    };
    const qint64 cpuStart = cpuNs();
    const long cycleStart = cycles.load();
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(unsigned(seconds));
    const qint64 cpuUsed = cpuNs() - cpuStart;
    const qint64 wallNs = wall.nsecsElapsed();
    const long cycleCount = cycles.load() - cycleStart;
    input.stopInputThread();
    input.wait();

    QTextStream(stdout) << "input thread: " << cycleCount << " cycles in " << wallNs / 1e9 << " s wall, "
                        << cpuUsed / 1e6 << " ms CPU = " << 100.0 * double(cpuUsed) / double(wallNs)
                        << " % of one core\n";
    return 0;
}
