// Services Linux does not have: the Windows 95 system kernel's entry points
// and virtual device drivers. Callers take their documented failure paths.
#include "platform/posix/posix_platform.h"

namespace plv::posix {

HMODULE PosixPlatform::GetModuleHandleA(LPCSTR) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL PosixPlatform::DeviceIoControl(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD returned,
                                    LPOVERLAPPED) {
    if (returned != nullptr) *returned = 0;
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

}  // namespace plv::posix
