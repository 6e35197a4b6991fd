// Calls that need the drive mapping of the file implementation, and process
// creation: they fail as a missing function does until they are provided.
#include "platform/posix/posix_platform.h"

namespace plv::posix {

BOOL PosixPlatform::GetFileAttributesExA(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

DWORD PosixPlatform::GetShortPathNameA(LPCSTR, LPSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}

BOOL PosixPlatform::CreateProcessA(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                   BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                   LPPROCESS_INFORMATION) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

}  // namespace plv::posix
