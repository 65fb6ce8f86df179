#pragma once

#include "CommClientThread.h"

// Remote link pauses and waits short enough for tests; the program keeps
// the 2 s and 50 s ones.
inline CommClientThread::Timing quickLinkTiming()
{
    CommClientThread::Timing timing;
    timing.pauseMs = 20;
    timing.connectWaitMs = 3000;
    timing.dataWaitMs = 10000;
    timing.writeWaitMs = 3000;
    return timing;
}
