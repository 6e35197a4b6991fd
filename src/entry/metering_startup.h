// Metering start-up: the platform's own part, and what every platform shares.
#pragma once

#include "platform/entry_point.h"
#include "platform/platform.h"

namespace plv {

// The Windows 95 family: ToolHelp and service registration from the system
// kernel, then the DOS driver. False when metering cannot run; a driver that
// cannot be loaded only costs the DOS boxes.
bool StartWindows95Metering();

// Windows NT: the process-list module, then the 16-bit driver's place among
// the WOW boot drivers. False when metering cannot run.
bool StartNTMetering();

// Logs "Initialization Failure" for the agent, naming the failing component.
void LogInitializationFailure(const char *component);

// The module's entry point of that name, typed; null when it is missing.
template <typename Function>
Function LookUp(HMODULE module, const char *name) {
    return EntryPoint<Function>(Os().GetProcAddress(module, name));
}

}  // namespace plv
