#include <unistd.h>

#include <cstring>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {
thread_local DWORD lastError = 0;
}  // namespace

DWORD PosixPlatform::GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

// Linux is reported as a member of the NT family: it has processes with
// program paths and no DOS boxes.
BOOL PosixPlatform::GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 1381;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

DWORD PosixPlatform::GetLastError() { return lastError; }

void PosixPlatform::SetLastError(DWORD error) { lastError = error; }

Platform &NativePlatformInstance() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace plv::posix

namespace plv {
Platform &NativePlatform() { return posix::NativePlatformInstance(); }
}  // namespace plv
