#include <time.h>
#include <unistd.h>

#include <cstdlib>
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

// No system dialogs exist here; the mode is only remembered.
UINT PosixPlatform::SetErrorMode(UINT mode) {
    static UINT current = 0;
    const UINT previous = current;
    current = mode;
    return previous;
}

void PosixPlatform::Sleep(DWORD milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
}

// Windows' contract: the length without terminator when it fits, else the
// size needed including the terminator.
DWORD PosixPlatform::GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char *value = std::getenv(name);
    if (value == nullptr) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(std::strlen(value));
    if (buffer == nullptr || length >= size) return length + 1;
    std::memcpy(buffer, value, length + 1);
    return length;
}

void PosixPlatform::SetLastError(DWORD error) { lastError = error; }

Platform &NativePlatformInstance() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace plv::posix

namespace plv {
Platform &NativePlatform() { return posix::NativePlatformInstance(); }
}  // namespace plv
