#include "support/fake_platform.h"

#include <cstdlib>
#include <cstring>

namespace plv::testing {

FakePlatform::FakePlatform() { SetLocalTime(1998, 8, 20, 9, 15, 2); }

// Blocks the library still holds when the test ends are the test's leak
// to report; the fake only gives the memory back.
FakePlatform::~FakePlatform() {
    for (const auto &[block, size] : heap.live) std::free(block);
}

DWORD FakePlatform::GetCurrentProcessId() { return processId; }

BOOL FakePlatform::GetVersionExA(LPOSVERSIONINFOA info) {
    version.sizeSeen = info->dwOSVersionInfoSize;
    if (!version.result) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 0;
    info->dwPlatformId = version.platformId;
    return TRUE;
}

DWORD FakePlatform::GetLastError() { return lastError_; }

void FakePlatform::SetLastError(DWORD error) { lastError_ = error; }

}  // namespace plv::testing
