// PLVWSI32.DLL: the daily companion, called on the first timer cycle of each
// day. The library goes on with the day's work (the MIF check, the
// "Continued" event) only when it answers nonzero.
#include <type_traits>

#include "core/companions.h"

extern "C" DWORD WINAPI DoLastLogin(void *agentState);

static_assert(std::is_same_v<decltype(&DoLastLogin), plv::DoLastLoginFn>);

// The workstation keeps no log-in bookkeeping of its own: the day's work may
// go on whenever the library has an agent-state block to give.
DWORD WINAPI DoLastLogin(void *agentState) { return agentState != nullptr ? 1 : 0; }
