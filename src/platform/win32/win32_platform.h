// The Windows implementation of the seam: every call goes straight to the
// real API of the same name; nothing is emulated. It is linked into
// PLVLIB32.DLL itself, so the library imports only Windows' own modules.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plv::win32 {

// Not final: the tests' worlds derive from it to keep their semaphore names
// and registry keys apart from other test programs'.
class Win32Platform : public Platform {
  public:
    DWORD GetCurrentProcessId() override;
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    UINT SetErrorMode(UINT mode) override;
    void Sleep(DWORD milliseconds) override;
    DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) override;
    BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                        LPSECURITY_ATTRIBUTES processAttributes,
                        LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                        LPSTARTUPINFOA startupInfo,
                        LPPROCESS_INFORMATION processInformation) override;
    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
    BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                  LPOVERLAPPED overlapped) override;
    BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                   LPOVERLAPPED overlapped) override;
    DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) override;
    BOOL SetEndOfFile(HANDLE file) override;
    BOOL CloseHandle(HANDLE object) override;
    BOOL DeleteFileA(LPCSTR name) override;
    DWORD GetFileAttributesA(LPCSTR name) override;
    BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) override;
    BOOL LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                  DWORD lengthHigh) override;
    BOOL UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                    DWORD lengthHigh) override;
    UINT GetDriveTypeA(LPCSTR rootPath) override;
    BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level,
                              LPVOID information) override;
    BOOL FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) override;
    BOOL FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) override;
    DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                         DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) override;
    HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount,
                            LPCSTR name) override;
    HANDLE OpenSemaphoreA(DWORD access, BOOL inheritHandle, LPCSTR name) override;
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
    BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount) override;
    DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) override;
    BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data) override;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length) override;
    DWORD VerLanguageNameA(DWORD language, LPSTR name, DWORD size) override;
    HMODULE GetModuleHandleA(LPCSTR name) override;
    HMODULE LoadLibraryA(LPCSTR name) override;
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override;
    BOOL FreeLibrary(HMODULE module) override;
    UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                               LPCSTR fileName) override;
    DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                   DWORD size, LPCSTR fileName) override;
    int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength,
                            LPWSTR wide, int wideLength) override;
    BOOL OemToCharA(LPCSTR source, LPSTR destination) override;
    LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                          PHKEY result) override;
    LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition) override;
    LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) override;
    LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data,
                           DWORD dataSize) override;
    LSTATUS RegCloseKey(HKEY key) override;
    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) override;
    BOOL KillTimer(HWND window, UINT_PTR id) override;
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter) override;
    HWND GetParent(HWND window) override;
    BOOL IsWindow(HWND window) override;
    BOOL IsWindowVisible(HWND window) override;
    int GetWindowTextA(HWND window, LPSTR text, int size) override;
    int GetClassNameA(HWND window, LPSTR name, int size) override;
    DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) override;

    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    HGLOBAL GlobalFree(HGLOBAL block) override;

    std::int64_t time() override;
    bool localtime(std::int64_t calendarTime, std::tm *local) override;
    std::int64_t mktime(std::tm *local) override;

    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) override;
    LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                LPARAM lParam) override;
};

// ---- Host side: what a host program needs to own a window ------------
// A top-level window (never shown) with a list box child control of the
// given identifier; null when either cannot be created.
HWND CreateHostWindow(const std::string &title, int listBoxId);
void DestroyHostWindow(HWND window);

}  // namespace plv::win32
