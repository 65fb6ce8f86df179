#pragma once

#include <atomic>
#include <cstdint>

class QObject;

// Process-wide flags shared by the application shell and the back end.

// The loaded main window; null until loading has finished.
extern QObject *mainQMLObject;

// Set by -D/--debug: the GPIO layer logs every access while it is set.
// Written once before any worker thread starts.
extern std::uint8_t cDebug;

// Nozzle heater state, written by the control logic and read by the input thread.
extern std::atomic<int> heaterisON;
