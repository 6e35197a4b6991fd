// The seam between the library and the operating system.
//
// One abstract interface whose calls mirror the Win32 calls the library makes,
// with Win32 conventions kept: handles, flags, BOOL results and the thread's
// last-error value. The core calls the platform only through `Os()`, so the
// native implementation (chosen at build time) and the test fake are
// interchangeable, like an Env in a storage engine or a VFS in a database.
//
// A call is added here with its exact Win32 name and signature, then given to
// every implementation: posix/, win32/ and the fake in tests/support/.
#pragma once

#include <ctime>

#include "platform/win32_api.h"

namespace plv {

class Platform {
  public:
    virtual ~Platform() = default;

    // ---- kernel32: process, version, last error ----------------------
    virtual DWORD GetCurrentProcessId() = 0;
    virtual BOOL GetVersionExA(LPOSVERSIONINFOA info) = 0;
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;

    virtual UINT SetErrorMode(UINT mode) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) = 0;

    // ---- kernel32: files and byte-range locks -------------------------
    virtual HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition,
                               DWORD flagsAndAttributes, HANDLE templateFile) = 0;
    virtual BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                          LPOVERLAPPED overlapped) = 0;
    virtual BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                           LPOVERLAPPED overlapped) = 0;
    virtual DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh,
                                 DWORD method) = 0;
    virtual BOOL SetEndOfFile(HANDLE file) = 0;
    virtual BOOL CloseHandle(HANDLE object) = 0;
    virtual BOOL DeleteFileA(LPCSTR name) = 0;
    virtual DWORD GetFileAttributesA(LPCSTR name) = 0;
    virtual BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) = 0;
    virtual BOOL LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                          DWORD lengthHigh) = 0;
    virtual BOOL UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                            DWORD lengthHigh) = 0;
    virtual UINT GetDriveTypeA(LPCSTR rootPath) = 0;

    // ---- kernel32: named semaphores and waiting ------------------------
    // CloseHandle above closes semaphores as it closes files.
    virtual HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount,
                                    LONG maximumCount, LPCSTR name) = 0;
    virtual HANDLE OpenSemaphoreA(DWORD access, BOOL inheritHandle, LPCSTR name) = 0;
    virtual DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) = 0;
    virtual BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount) = 0;

    // ---- kernel32: file facts and short names -------------------------
    virtual BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level,
                                      LPVOID information) = 0;
    virtual BOOL FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) = 0;
    virtual BOOL FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) = 0;
    virtual DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) = 0;

    // ---- kernel32: devices and processes ------------------------------
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                 DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) = 0;
    virtual BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                DWORD creationFlags, LPVOID environment,
                                LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                LPPROCESS_INFORMATION processInformation) = 0;

    // ---- version: version resources of executables --------------------
    virtual DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) = 0;
    virtual BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length,
                                     LPVOID data) = 0;
    virtual BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer,
                                PUINT length) = 0;
    virtual DWORD VerLanguageNameA(DWORD language, LPSTR name, DWORD size) = 0;

    // ---- kernel32: modules ----------------------------------------------
    virtual HMODULE GetModuleHandleA(LPCSTR name) = 0;
    virtual HMODULE LoadLibraryA(LPCSTR name) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR name) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;

    // ---- kernel32: profile files and code pages -----------------------
    virtual UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                       LPCSTR fileName) = 0;
    virtual DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                           LPSTR buffer, DWORD size, LPCSTR fileName) = 0;
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte,
                                    int multiByteLength, LPWSTR wide, int wideLength) = 0;
    virtual BOOL OemToCharA(LPCSTR source, LPSTR destination) = 0;

    // ---- advapi32: registry -------------------------------------------
    virtual LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                  PHKEY result) = 0;
    virtual LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                    DWORD options, REGSAM access,
                                    const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                    LPDWORD disposition) = 0;
    virtual LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize) = 0;
    virtual LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                   const BYTE *data, DWORD dataSize) = 0;
    virtual LSTATUS RegCloseKey(HKEY key) = 0;

    // ---- kernel32: global heap ----------------------------------------
    virtual HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) = 0;
    // Null when released; the block itself when refused (last error set).
    virtual HGLOBAL GlobalFree(HGLOBAL block) = 0;

    // ---- C runtime clock: 64-bit calendar time ------------------------
    // Seconds since 1 January 1970 UTC.
    virtual std::int64_t time() = 0;
    // Local broken-down time of a calendar time; false when it cannot be had.
    virtual bool localtime(std::int64_t calendarTime, std::tm *local) = 0;
    // Calendar time of a local broken-down time, normalising out-of-range
    // members as mktime does; -1 when it cannot be represented.
    virtual std::int64_t mktime(std::tm *local) = 0;

    // ---- user32: timers and messages ----------------------------------
    virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) = 0;
    virtual BOOL KillTimer(HWND window, UINT_PTR id) = 0;
    virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // ---- user32: top-level windows -------------------------------------
    virtual BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter) = 0;
    virtual HWND GetParent(HWND window) = 0;
    virtual BOOL IsWindow(HWND window) = 0;
    virtual BOOL IsWindowVisible(HWND window) = 0;
    virtual int GetWindowTextA(HWND window, LPSTR text, int size) = 0;
    virtual int GetClassNameA(HWND window, LPSTR name, int size) = 0;
    virtual DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) = 0;

    // ---- user32 and gdi32: the host window's trace list box -----------
    virtual HDC GetDC(HWND window) = 0;
    virtual int ReleaseDC(HWND window, HDC dc) = 0;
    virtual BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) = 0;
    virtual LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message,
                                        WPARAM wParam, LPARAM lParam) = 0;
};

// The platform the library talks to.
Platform &Os();

// Installs a platform (tests install the fake) and returns the previous one.
// Null restores the native platform.
Platform *SetPlatform(Platform *platform);

// The implementation chosen at build time.
Platform &NativePlatform();

}  // namespace plv
