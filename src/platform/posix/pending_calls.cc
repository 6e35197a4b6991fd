// Calls of the seam that the Linux platform does not yet provide: each fails
// as Windows does for a missing function, so callers take their failure path.
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

template <typename Result>
Result NotImplemented(Result failure) {
    NativePlatform().SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return failure;
}

}  // namespace

HANDLE PosixPlatform::CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                  HANDLE) {
    return NotImplemented(INVALID_HANDLE_VALUE);
}
BOOL PosixPlatform::ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) {
    return NotImplemented(FALSE);
}
BOOL PosixPlatform::WriteFile(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) {
    return NotImplemented(FALSE);
}
DWORD PosixPlatform::SetFilePointer(HANDLE, LONG, PLONG, DWORD) {
    return NotImplemented(INVALID_SET_FILE_POINTER);
}
BOOL PosixPlatform::SetEndOfFile(HANDLE) { return NotImplemented(FALSE); }
BOOL PosixPlatform::CloseHandle(HANDLE) { return NotImplemented(FALSE); }
BOOL PosixPlatform::DeleteFileA(LPCSTR) { return NotImplemented(FALSE); }
DWORD PosixPlatform::GetFileAttributesA(LPCSTR) { return NotImplemented(INVALID_FILE_ATTRIBUTES); }
BOOL PosixPlatform::SetFileAttributesA(LPCSTR, DWORD) { return NotImplemented(FALSE); }
BOOL PosixPlatform::LockFile(HANDLE, DWORD, DWORD, DWORD, DWORD) { return NotImplemented(FALSE); }
BOOL PosixPlatform::UnlockFile(HANDLE, DWORD, DWORD, DWORD, DWORD) { return NotImplemented(FALSE); }
UINT PosixPlatform::GetDriveTypeA(LPCSTR) { return DRIVE_UNKNOWN; }
HMODULE PosixPlatform::LoadLibraryA(LPCSTR) { return NotImplemented<HMODULE>(nullptr); }
FARPROC PosixPlatform::GetProcAddress(HMODULE, LPCSTR) { return NotImplemented<FARPROC>(nullptr); }
BOOL PosixPlatform::FreeLibrary(HMODULE) { return NotImplemented(FALSE); }
UINT PosixPlatform::GetPrivateProfileIntA(LPCSTR, LPCSTR, INT defaultValue, LPCSTR) {
    return static_cast<UINT>(defaultValue);
}

}  // namespace plv::posix
