#pragma once

// The operator's slow page actions, scripted on the whole console in-process
// (tests/e2e's ConsoleFixture): what is laid out beforehand, the operator's
// taps, and what the page shows when the action has ended. Shared by the
// stall benchmark and the test that checks the window thread stays free while
// the actions run. In script order: each leaves the console ready for the next.
#include "ConsoleFixture.h"

#include <functional>

namespace pageactions {

struct PageAction {
    const char *name;
    std::function<bool(ConsoleFixture &)> start; // lays out, then taps; false when a tap failed
    std::function<bool(ConsoleFixture &)> ended; // the page shows the outcome
};

QList<PageAction> all();

// What the console reads at start-up besides the simulators' files: the
// driver's line for dmesg.
void layOutRoot();

// Sets the fake tools' times. Call before the console or the simulators start
// any thread: the environment must not change while tools are being started.
void setToolDelays(const QList<QPair<QByteArray, QByteArray>> &delays);

// Runs this thread's event loop until `ended` holds or the time is up; unlike
// QTest::qWaitFor it never sleeps, so a stall monitor sees only the work.
bool runUntil(const std::function<bool()> &ended, int timeoutMs);

} // namespace pageactions
