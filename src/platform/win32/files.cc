#include "platform/win32/win32_platform.h"

namespace plv::win32 {

HANDLE Win32Platform::CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                  DWORD flagsAndAttributes, HANDLE templateFile) {
    return ::CreateFileA(name, access, shareMode, security, disposition, flagsAndAttributes,
                         templateFile);
}

BOOL Win32Platform::ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                             LPOVERLAPPED overlapped) {
    return ::ReadFile(file, buffer, toRead, read, overlapped);
}

BOOL Win32Platform::WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                              LPOVERLAPPED overlapped) {
    return ::WriteFile(file, buffer, toWrite, written, overlapped);
}

DWORD Win32Platform::SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    return ::SetFilePointer(file, distance, distanceHigh, method);
}

BOOL Win32Platform::SetEndOfFile(HANDLE file) { return ::SetEndOfFile(file); }

BOOL Win32Platform::CloseHandle(HANDLE object) { return ::CloseHandle(object); }

BOOL Win32Platform::DeleteFileA(LPCSTR name) { return ::DeleteFileA(name); }

DWORD Win32Platform::GetFileAttributesA(LPCSTR name) { return ::GetFileAttributesA(name); }

BOOL Win32Platform::SetFileAttributesA(LPCSTR name, DWORD attributes) {
    return ::SetFileAttributesA(name, attributes);
}

BOOL Win32Platform::LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                             DWORD lengthHigh) {
    return ::LockFile(file, offsetLow, offsetHigh, lengthLow, lengthHigh);
}

BOOL Win32Platform::UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                               DWORD lengthHigh) {
    return ::UnlockFile(file, offsetLow, offsetHigh, lengthLow, lengthHigh);
}

UINT Win32Platform::GetDriveTypeA(LPCSTR rootPath) { return ::GetDriveTypeA(rootPath); }

BOOL Win32Platform::GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level,
                                         LPVOID information) {
    return ::GetFileAttributesExA(name, level, information);
}

BOOL Win32Platform::FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) {
    return ::FileTimeToLocalFileTime(fileTime, localFileTime);
}

BOOL Win32Platform::FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) {
    return ::FileTimeToSystemTime(fileTime, systemTime);
}

DWORD Win32Platform::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    return ::GetShortPathNameA(longPath, shortPath, size);
}

BOOL Win32Platform::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                    DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
}

}  // namespace plv::win32
