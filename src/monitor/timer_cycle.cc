#include "monitor/timer_cycle.h"

#include "core/display.h"
#include "core/library_state.h"
#include "monitor/metering_state.h"
#include "monitor/process_removal.h"
#include "monitor/process_scan.h"
#include "platform/platform.h"
#include "usage/agent_events.h"
#include "usage/definition_files.h"

namespace plv {

TimerState timer;

namespace {

constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriodMs = 1000;

void CALLBACK TimerProcedure(HWND window, UINT message, UINT_PTR id, DWORD systemTime) {
    Timer1_Timer(window, message, id, systemTime);
}

// The cycle's work proper; returns early where a failure ends it.
void DoCycleWork() {
    if (core.networkFailure) return;

    if (CheckForPLVINIUpdate()) {
        GetNewPLVINISettings();
        GenerateMIFIfNeeded();
    }
    if (core.networkFailure) return;

    // A process list that could not be had says nothing about ended
    // processes: releasing every application on it would log false ends.
    const bool scanned = ScanProcesses();
    if (core.scanAbort || core.networkFailure) return;
    if (scanned) RemoveEndedProcesses();

    if (!LogUpdateIfDue()) return;
    if (!CheckForNewDay(&GenerateMIFIfNeeded)) return;

    if (Runtime().pendingEvents != nullptr) PLVUpdateLogs();
    if (Runtime().pendingDefinitions != nullptr) UpdateAppDefs();
}

}  // namespace

void ResetTimerState() { timer = TimerState{}; }

void RunTimerCycle() {
    timer.cycleRunning = true;
    core.scanAbort = false;

    bool holdsSemaphore = false;
    if (OptionSet(PLV_OPT_SHARED_TIMER)) {
        holdsSemaphore = Os().WaitForSingleObject(metering.timerSemaphore, 0) == WAIT_OBJECT_0;
    }
    if (holdsSemaphore || !OptionSet(PLV_OPT_SHARED_TIMER)) DoCycleWork();

    if (core.networkFailure) {
        Trace("Reporting network failure");
        Os().SendMessageA(core.hostWindow, PLV_MSG_NETWORK_FAILURE, 0, 0);
        core.networkFailure = false;
    }
    if (holdsSemaphore) Os().ReleaseSemaphore(metering.timerSemaphore, 1, nullptr);
    timer.cycleRunning = false;
}

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT int32_t PLVAPI StartTimer(void) {
    timer.timerId = Os().SetTimer(nullptr, kTimerId, kTimerPeriodMs, TimerProcedure);
    return timer.timerId != 0 ? 1 : 0;
}

extern "C" PLV_EXPORT int32_t PLVAPI StopTimer(void) {
    if (timer.timerId == 0) return 0;
    return Os().KillTimer(nullptr, timer.timerId);
}

extern "C" PLV_EXPORT void PLVAPI Timer1_Timer(PLVHWND, uint32_t, uintptr_t, uint32_t) {
    if (timer.cycleRunning || core.shuttingDown) return;
    RunTimerCycle();
    if (timer.closeAfterCycle) Os().PostMessageA(core.hostWindow, WM_CLOSE, 0, 0);
}

extern "C" PLV_EXPORT PLVHWND PLVAPI GetTopParent(PLVHWND window) {
    HWND current = static_cast<HWND>(window);
    for (HWND parent = Os().GetParent(current); parent != nullptr && Os().IsWindowVisible(parent);
         parent = Os().GetParent(current)) {
        current = parent;
    }
    return current;
}
