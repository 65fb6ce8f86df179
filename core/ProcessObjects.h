#pragma once

// The process-wide objects of the console, constructed before main() in the
// order of their definitions in app/ProcessObjects.cpp and alive until exit.
// Only the executable (and tests) define them; the libraries just use them.

#include "Control.h"
#include "InputThread.h"
#include "SerialPortIO.h"

extern Control boardControl;
extern SerialPortIO serialLink;
extern InputThread inputMonitor;
