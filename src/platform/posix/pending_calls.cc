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

HANDLE PosixPlatform::CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCSTR) {
    return NotImplemented<HANDLE>(nullptr);
}
HANDLE PosixPlatform::OpenSemaphoreA(DWORD, BOOL, LPCSTR) { return NotImplemented<HANDLE>(nullptr); }
DWORD PosixPlatform::WaitForSingleObject(HANDLE, DWORD) { return NotImplemented(WAIT_FAILED); }
BOOL PosixPlatform::ReleaseSemaphore(HANDLE, LONG, LPLONG) { return NotImplemented(FALSE); }

DWORD PosixPlatform::GetPrivateProfileStringA(LPCSTR, LPCSTR, LPCSTR, LPSTR buffer, DWORD size,
                                              LPCSTR) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return NotImplemented(DWORD{0});
}
BOOL PosixPlatform::OemToCharA(LPCSTR, LPSTR) { return NotImplemented(FALSE); }

LSTATUS PosixPlatform::RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
LSTATUS PosixPlatform::RegCreateKeyExA(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM,
                                       const LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
LSTATUS PosixPlatform::RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
LSTATUS PosixPlatform::RegSetValueExA(HKEY, LPCSTR, DWORD, DWORD, const BYTE *, DWORD) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
LSTATUS PosixPlatform::RegCloseKey(HKEY) { return ERROR_CALL_NOT_IMPLEMENTED; }

UINT_PTR PosixPlatform::SetTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
    return NotImplemented(UINT_PTR{0});
}
BOOL PosixPlatform::KillTimer(HWND, UINT_PTR) { return NotImplemented(FALSE); }
BOOL PosixPlatform::PostMessageA(HWND, UINT, WPARAM, LPARAM) { return NotImplemented(FALSE); }
LRESULT PosixPlatform::SendMessageA(HWND, UINT, WPARAM, LPARAM) {
    return NotImplemented(LRESULT{0});
}

}  // namespace plv::posix
