#include "ProcessObjects.h"

// The resource bundle is compiled into the executable and registers itself
// first; the board, serial and input objects follow here in this order.

Control boardControl;

SerialPortIO serialLink;

InputThread inputMonitor;
