// Metering start-up on Windows NT.
#include "core/companions.h"
#include "core/display.h"
#include "core/library_state.h"
#include "entry/metering_startup.h"
#include "entry/wow_boot_drivers.h"
#include "monitor/metering_state.h"
#include "platform/platform.h"

namespace plv {
namespace {

// Every entry point found is kept (shutdown frees the list when it can);
// all five must be there.
bool BindProcessListModule() {
    HMODULE module = Os().LoadLibraryA("PLVNTPRL.DLL");
    if (module == nullptr) return false;
    metering.initNTProcessList = LookUp<InitNTProcessListFn>(module, "InitNTProcessList");
    metering.resetNTProcessList = LookUp<ResetNTProcessListFn>(module, "ResetNTProcessList");
    metering.getNextProcessID = LookUp<GetNextProcessIDFn>(module, "GetNextProcessID");
    metering.getProcessExePath = LookUp<GetProcessExePathFn>(module, "GetProcessExePath");
    metering.freeNTProcessList = LookUp<FreeNTProcessListFn>(module, "FreeNTProcessList");
    return metering.initNTProcessList != nullptr && metering.resetNTProcessList != nullptr &&
           metering.getNextProcessID != nullptr && metering.getProcessExePath != nullptr &&
           metering.freeNTProcessList != nullptr;
}

}  // namespace

bool StartNTMetering() {
    if (!BindProcessListModule()) {
        LogInitializationFailure("PLVNTPRL.DLL");
        return false;
    }
    if (!metering.initNTProcessList(Agent().agentDirectory)) {
        LogInitializationFailure("PLVNTR32.DLL");
        return false;
    }
    // Without the 16-bit driver only 16-bit tasks go unseen; only a host that
    // asked for them hears of it.
    if (!RewriteWowBootDrivers(true) && OptionSet(PLV_OPT_16BIT_METERING)) {
        Trace("Can't update NT Registry");
        PLVAddEvent("Registry Update Failed", "Pelvantine", "PLVNTS16.DLL");
    }
    return true;
}

}  // namespace plv
