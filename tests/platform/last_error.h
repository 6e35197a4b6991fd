// A failed call and its last error, checked in one expectation.
#pragma once

#include "platform/platform.h"

namespace plv::testing {

// The last error of a call that failed; kSucceeded for one that did not.
constexpr DWORD kSucceeded = 0xFFFFFFFF;
inline DWORD ErrorIf(Platform &os, bool failed) { return failed ? os.GetLastError() : kSucceeded; }

}  // namespace plv::testing
