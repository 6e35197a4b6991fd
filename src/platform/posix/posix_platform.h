// The Linux implementation of the seam. It lives in its own shared object so
// that the library and its host share one instance: the host's windows, list
// boxes, timers and message loop are the same objects the library talks to.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace plv::posix {

class PosixPlatform final : public Platform {
  public:
    DWORD GetCurrentProcessId() override;
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    UINT SetErrorMode(UINT mode) override;
    void Sleep(DWORD milliseconds) override;
    DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) override;

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

    HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount,
                            LPCSTR name) override;
    HANDLE OpenSemaphoreA(DWORD access, BOOL inheritHandle, LPCSTR name) override;
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
    BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount) override;

    BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level,
                              LPVOID information) override;
    BOOL FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) override;
    BOOL FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) override;
    DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                         DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) override;
    BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                        LPSECURITY_ATTRIBUTES processAttributes,
                        LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                        LPSTARTUPINFOA startupInfo,
                        LPPROCESS_INFORMATION processInformation) override;
    DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) override;
    BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data) override;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length) override;
    DWORD VerLanguageNameA(DWORD language, LPSTR name, DWORD size) override;
    HMODULE GetModuleHandleA(LPCSTR name) override;
    BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter) override;
    HWND GetParent(HWND window) override;
    BOOL IsWindow(HWND window) override;
    BOOL IsWindowVisible(HWND window) override;
    int GetWindowTextA(HWND window, LPSTR text, int size) override;
    int GetClassNameA(HWND window, LPSTR name, int size) override;
    DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) override;
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
    LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                           const BYTE *data, DWORD dataSize) override;
    LSTATUS RegCloseKey(HKEY key) override;

    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    HGLOBAL GlobalFree(HGLOBAL block) override;

    std::int64_t time() override;
    bool localtime(std::int64_t calendarTime, std::tm *local) override;
    std::int64_t mktime(std::tm *local) override;

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) override;
    BOOL KillTimer(HWND window, UINT_PTR id) override;
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) override;
    LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                LPARAM lParam) override;
};

// Text is measured in a fixed-width metric: every character is 8 pixels wide
// and 16 high, the cell of the classic fixed system font.
constexpr LONG kCharWidth = 8;
constexpr LONG kCharHeight = 16;

// ---- Host side: what a host program needs to own a window ------------
// A top-level window with a list box control of the given identifier. The
// listener, when set, is told every line the list box receives.
using ListBoxListener = std::function<void(const std::string &line)>;
HWND CreateHostWindow(const std::string &title, int listBoxId, ListBoxListener listener);
void DestroyHostWindow(HWND window);

// The window's procedure: it receives what is posted or sent to the window
// (WM_CLOSE, the library's own messages) and answers sent messages.
using WindowProcedure =
    std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
void SetWindowProcedure(HWND window, WindowProcedure procedure);

// ---- Host side: the message loop of the host's thread ----------------
// Delivers posted messages and runs timers when they are due, until the
// given time; false when QuitMessageLoop ended it sooner.
bool PumpMessages(std::chrono::steady_clock::time_point until);
// Runs until QuitMessageLoop.
void RunMessageLoop();
// Ends the loop that runs now, or the next one; callable from any thread.
void QuitMessageLoop();

// ---- Host side: the agent's directories and its drives ----------------
// The data directory holds the registry store and stands for drive C:.
// Default: $PLV_DATA_DIR, else $XDG_DATA_HOME/plvagent, else
// ~/.local/share/plvagent.
void SetDataDirectory(const std::string &directory);
std::string DataDirectory();
// The runtime directory holds the named semaphores; it must be local to the
// machine. Default: $PLV_RUNTIME_DIR, else $XDG_RUNTIME_DIR/plvagent, else
// /tmp/plvagent-<uid>.
void SetRuntimeDirectory(const std::string &directory);
std::string RuntimeDirectory();
// Each makes its directories where they are missing (mode 0700) and checks
// them as every use does: only a real directory of this process's user
// with no access for group or others is used. Empty when the platform may
// keep its files there, else why not: "the runtime directory /tmp/x is
// refused: ...", naming the directory and, when refused, its owner and mode.
std::string PrepareDataDirectory();  // and the registry store's below it
std::string PrepareRuntimeDirectory();
// Drive letters and \\server\share roots stand for host directories; Z:
// stands for "/" and C: for the data directory unless mapped otherwise.
void MapDrive(char letter, const std::string &directory);
void MapShare(const std::string &uncRoot, const std::string &directory);
// Every drive and share mapped so far stands for nothing again (Z: and C:
// keep their defaults).
void ForgetMappings();
// The DOS form of a host path: /usr/bin/xeyes is Z:\usr\bin\xeyes.
std::string DosPathOf(const std::string &hostPath);
// Who besides its owner may change the file or directory a DOS path names:
// "is writable by group staff (gid 50), mode 0775"; any owner but root and
// this process's user counts as another. Empty when no one else may, or
// when there is no such file.
std::string OthersWhoMayChange(const std::string &dosPath);

// The shared object that stands for a module name: "PLVNTPRL.DLL" is
// libplvntprl.so, installed beside libplvposix.so.
std::string SharedObjectNameOf(const std::string &moduleName);

}  // namespace plv::posix
