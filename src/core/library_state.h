// The library frame's process-wide state. Each subsystem keeps its globals
// in a plain struct of its own and offers a reset; ResetLibraryState()
// (entry/library_entry.h) runs them all.
#pragma once

#include "plvlib32.h"
#include "platform/win32_api.h"

namespace plv {

enum PlatformCode : std::int32_t {
    kPlatformUnknown = 0,
    kPlatformWindows95 = 1,
    kPlatformNT = 2,
};

// Globals of the library frame.
struct CoreState {
    HINSTANCE moduleInstance = nullptr;
    PLVAgentState *agent = nullptr;  // null until InitializePLVLIB
    HWND hostWindow = nullptr;
    std::int32_t platformCode = kPlatformUnknown;
    DWORD ownProcessId = 0;
    bool shuttingDown = false;
    bool networkFailure = false;  // raised by failed shared-file operations
    bool scanAbort = false;       // raised by a hook notification
    PLVHWND activeWindow = nullptr;  // handed to the host, always null
};

extern CoreState core;

inline PLVAgentState &Agent() { return *core.agent; }
inline PLVAgentRuntime &Runtime() { return *core.agent->runtime; }
inline bool OptionSet(std::uint32_t mask) {
    return core.agent != nullptr && (core.agent->optionFlags & mask) != 0;
}

void ResetCoreState();

}  // namespace plv
