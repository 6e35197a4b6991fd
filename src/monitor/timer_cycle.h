// The once-a-second timer cycle and its guards.
#pragma once

#include "platform/win32_api.h"

namespace plv {

struct TimerState {
    UINT_PTR timerId = 0;
    bool cycleRunning = false;
    bool closeAfterCycle = false;
};

extern TimerState timer;

void ResetTimerState();

// One cycle: settings, scan, removal, periodic events, writers, report.
void RunTimerCycle();

}  // namespace plv
