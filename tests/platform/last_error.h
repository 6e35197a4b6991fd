// A failed call and its last error, checked in one expectation.
#pragma once

#include "platform/platform.h"

namespace plv::testing {

// The last error of a call that failed; kSucceeded for one that did not.
// The code is cleared before the call, so that an earlier failure's code
// cannot stand in for one the call failed to set.
constexpr DWORD kSucceeded = 0xFFFFFFFF;
template <typename Call>
DWORD ErrorIf(Platform &os, Call failed) {
    os.SetLastError(ERROR_SUCCESS);
    return failed() ? os.GetLastError() : kSucceeded;
}

}  // namespace plv::testing
