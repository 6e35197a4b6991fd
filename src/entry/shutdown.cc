// Shutdown: the timer stopped, the start-up's acquisitions released.
#include "core/library_state.h"
#include "entry/wow_boot_drivers.h"
#include "monitor/metering_state.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "monitor/timer_cycle.h"
#include "platform/platform.h"

using namespace plv;

// Applications still metered get no "Terminated": the agent stops, they do not.
extern "C" PLV_EXPORT int32_t PLVAPI DLLShutdown(void) {
    core.shuttingDown = true;
    StopTimer();
    if (core.platformCode == kPlatformNT) {
        RewriteWowBootDrivers(false);
        if (sixteenBit.getNext16BitTask != nullptr) sixteenBit.terminate16BitAgent(0, 1);
        if (metering.freeNTProcessList != nullptr) metering.freeNTProcessList();
    }
    ReleaseProcessTable();
    return 1;
}

extern "C" PLV_EXPORT uint8_t PLVAPI DeferShutdown(uint8_t closeWhenDone) {
    core.shuttingDown = true;
    if (!timer.cycleRunning) return 0;
    if (closeWhenDone) timer.closeAfterCycle = true;
    return 1;
}

extern "C" PLV_EXPORT void PLVAPI ShutdownVXD(void) {
    if (metering.driver == nullptr) return;
    Os().CloseHandle(metering.driver);
    metering.driver = nullptr;
}

extern "C" PLV_EXPORT void PLVAPI UnregisterService(void) {
    if (core.platformCode == kPlatformWindows95 && !OptionSet(PLV_OPT_TRACE) &&
        metering.registerServiceProcess != nullptr) {
        metering.registerServiceProcess(core.ownProcessId, 0);
    }
}
