#pragma once

// The process-wide objects of the console, constructed before main() in the
// order of their definitions in ProcessObjects.cpp and alive until exit.

#include "Control.h"
#include "InputThread.h"
#include "SerialPortIO.h"

extern Control boardControl;
extern SerialPortIO serialLink;
extern InputThread inputMonitor;
