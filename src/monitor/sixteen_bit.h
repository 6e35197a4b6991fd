// DOS boxes and 16-bit Windows tasks: the tracker's entry points, the name
// filters, and the start of the 16-bit agent.
#pragma once

#include "core/companions.h"
#include "monitor/ignore_list.h"
#include "platform/win32_api.h"

namespace plv {

struct SixteenBitState {
    WaitFor16BitProcessFn waitFor16BitProcess = nullptr;
    GetNext16BitTaskFn getNext16BitTask = nullptr;  // null: 16-bit tracking is off
    Get16BitHookDataFn get16BitHookData = nullptr;
    Terminate16BitAgentFn terminate16BitAgent = nullptr;
    FARPROC removeVDMProcessEntry = nullptr;  // looked up, never called
    DWORD agentProcessId = 0;
    IgnoreList<64> dosPrograms{true};
    IgnoreList<64> sixteenBitPrograms{true};
};

extern SixteenBitState sixteenBit;

void ResetSixteenBitState();

bool IsDOSProgramIgnored(const char *path);
bool Is16BitProgramIgnored(const char *path);

}  // namespace plv
