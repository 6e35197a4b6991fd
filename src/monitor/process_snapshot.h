// The Windows 95 family's process list: a ToolHelp snapshot, walked entry by
// entry through the entry points metering start-up resolved.
#pragma once

#include "monitor/metering_state.h"
#include "platform/platform.h"

namespace plv {

// Calls visit with each process of a fresh snapshot until it answers false;
// false when no snapshot could be taken.
template <class Visit>
bool WalkProcessSnapshot(Visit visit) {
    HANDLE snapshot = metering.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = metering.process32First(snapshot, &process); more;
         more = metering.process32Next(snapshot, &process)) {
        if (!visit(process)) break;
    }
    Os().CloseHandle(snapshot);
    return true;
}

}  // namespace plv
