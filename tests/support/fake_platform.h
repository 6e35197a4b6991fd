// A scriptable platform for tests: a world the test sets up and inspects,
// and failures it injects per call. It grows with the seam, one feature file
// at a time (fake_clock.cc, fake_heap.cc, fake_user.cc, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plv::testing {

// An entry point for a fake module, from a plain function.
template <typename Function>
FARPROC AsEntry(Function *function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Windows compares file, module and variable names without regard to case.
struct NoCaseLess {
    bool operator()(const std::string &a, const std::string &b) const;
};

// What several fakes share when they stand for several processes on one
// machine: point their `machine` at the same object.
struct FakeMachine {
    // A named semaphore exists while some process has a handle to it.
    struct Semaphore {
        LONG count = 0;
        LONG maximum = 1;
        int handles = 0;
    };
    std::map<std::string, Semaphore> semaphores;  // names are case-sensitive
};

class FakePlatform : public Platform {
  public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- clock: local time at a fixed offset from UTC, no daylight saving
    struct Clock {
        std::int64_t now = 0;          // calendar seconds
        std::int32_t utcOffset = 0;    // seconds east of UTC
    } clock;
    void SetLocalTime(int year, int month, int day, int hour, int minute, int second);
    void AdvanceSeconds(std::int64_t seconds) { clock.now += seconds; }

    // ---- process and version
    DWORD processId = 0x1F4;
    struct Version {
        DWORD platformId = VER_PLATFORM_WIN32_NT;
    } version;

    // ---- global heap
    struct Heap {
        int failNextAllocs = 0;          // this many allocations fail next
        std::set<HGLOBAL> refuseFree;    // blocks GlobalFree refuses
        std::map<HGLOBAL, SIZE_T> live;  // blocks handed out and not freed
        int frees = 0;
    } heap;

    // ---- environment, error mode, sleeping
    std::map<std::string, std::string, NoCaseLess> environment;
    UINT errorMode = 0;
    std::vector<DWORD> sleeps;

    // ---- files: an in-memory volume set, with faults injected per path
    struct File {
        std::string data;
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        std::int64_t modified = 0;         // calendar seconds of the last write
        std::optional<std::uint64_t> size;  // reported size, when not the data's
        std::string shortPath;              // 8.3 form; empty: the path itself
    };
    // A fault hits the next `times` calls for its path (-1: every call).
    struct Fault {
        DWORD error = 0;
        int times = 1;
    };
    // A write fault accepts `accepted` bytes and answers `result`.
    struct WriteFault {
        BOOL result = FALSE;
        DWORD accepted = 0;
        DWORD error = ERROR_DISK_FULL;
        int times = 1;
    };
    struct Files {
        std::map<std::string, File, NoCaseLess> files;
        std::set<std::string, NoCaseLess> directories;  // a new file needs its directory
        std::map<std::string, UINT, NoCaseLess> driveTypes;  // by root; default below
        std::map<std::string, Fault, NoCaseLess> openFaults;
        std::map<std::string, Fault, NoCaseLess> pointerFaults;
        std::map<std::string, WriteFault, NoCaseLess> writeFaults;
        std::map<std::string, Fault, NoCaseLess> closeFaults;
        std::vector<std::string> journal;  // "open P", "write P n", "close P", ...
    } files;
    // Another process holds a byte-range lock on the file.
    void LockByOtherProcess(const std::string &path, DWORD offset, DWORD length);
    // The other processes' locks go, as when those processes end.
    void ReleaseOtherProcessLocks();
    // Drive roots not listed answer DRIVE_FIXED for "X:" and DRIVE_NO_ROOT_DIR otherwise.
    const File *FindFile(const std::string &path) const;

    // ---- modules: names the test registers, with their entry points
    struct Module {
        std::string name;
        std::map<std::string, FARPROC> entries;
        int loads = 0;   // LoadLibraryA calls that found it
        int frees = 0;   // FreeLibrary calls
    };
    HMODULE RegisterModule(const std::string &name, std::map<std::string, FARPROC> entries);
    Module &ModuleOf(HMODULE module);

    // ---- named semaphores: count-one, each unit taken belongs to the process
    // that took it and comes back when that process closes its last handle to
    // the semaphore or ends.
    std::shared_ptr<FakeMachine> machine = std::make_shared<FakeMachine>();
    struct Semaphores {
        std::vector<std::string> journal;  // "create N", "open N", "wait N 0 taken", "release N", ...
        std::map<std::string, Fault> createFaults;  // by name: creation answers null and the error
    } semaphores;
    // The process ends: its handles close and what it held comes back.
    void EndProcess();

    // ---- registry below HKEY_LOCAL_MACHINE, keys by path ("Software\\X\\Y")
    struct RegistryValue {
        DWORD type = REG_SZ;
        std::string data;  // the bytes as set, terminator included for REG_SZ
    };
    using RegistryKey = std::map<std::string, RegistryValue, NoCaseLess>;
    struct Registry {
        std::map<std::string, RegistryKey, NoCaseLess> keys;
        // Faults by key path, per operation: the error is the call's result.
        std::map<std::string, Fault, NoCaseLess> openFaults;
        std::map<std::string, Fault, NoCaseLess> createFaults;
        std::map<std::string, Fault, NoCaseLess> queryFaults;
        std::map<std::string, Fault, NoCaseLess> setFaults;
        std::vector<std::string> journal;  // "open K", "create K", "query K\\V", "set K\\V", "close K"
    } registry;
    // Creates the key and its parents and sets a REG_SZ value with its terminator.
    void SetRegistryString(const std::string &key, const std::string &name, const std::string &text);
    const RegistryValue *FindRegistryValue(const std::string &key, const std::string &name) const;
    std::size_t OpenKeyCount() const { return keyHandles_.size(); }

    // ---- timers and messages: timers are recorded as SetTimer and KillTimer leave them
    struct Timer {
        HWND window;
        UINT_PTR id;
        UINT elapse;
        TIMERPROC procedure;
    };
    struct Timers {
        std::vector<Timer> active;
        UINT_PTR nextId = 0x7FE1;  // ids handed out for timers without a window
        bool refuse = false;       // SetTimer fails, as when the system has none left
    } timers;
    struct WindowMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Messages {
        std::map<HWND, std::vector<WindowMessage>> posted;
        std::map<HWND, std::vector<WindowMessage>> sent;  // each answered 0
    } messages;

    // ---- top-level windows of the world, in the order EnumWindows meets them
    struct Window {
        HWND handle = nullptr;
        DWORD processId = 0;
        DWORD threadId = 0;
        std::string title;
        std::string className;
        bool visible = true;
        HWND parent = nullptr;
    };
    HWND AddWindow(Window window);  // handle assigned when null
    void DestroyWindow(HWND window);
    Window *FindWindow(HWND window);
    std::vector<Window> windows;
    // Runs once, at the start of the next EnumWindows, after the windows
    // were taken: lets a test change the world mid-enumeration.
    std::function<void()> duringEnumeration;

    // ---- version resources, by file path
    struct VersionResource {
        std::vector<std::pair<WORD, WORD>> translations;  // language, code page
        std::map<std::string, std::string> strings;        // by "\StringFileInfo\llllcccc\Name"
    };
    std::map<std::string, VersionResource, NoCaseLess> versions;

    // ---- processes started, and devices
    struct StartedProcess {
        std::string applicationName;  // empty when none was given
        std::string commandLine;
        DWORD creationFlags = 0;
        DWORD startupFlags = 0;
        WORD showWindow = 0;
    };
    std::vector<StartedProcess> started;
    DWORD failProcessCreation = 0;  // error code; 0: processes start
    struct Device {
        bool present = true;
        BOOL answer = TRUE;  // result of every control call
        std::vector<std::pair<DWORD, std::string>> controls;  // code, input bytes
    };
    std::map<std::string, Device, NoCaseLess> devices;  // by "\\.\NAME"
    std::set<std::string, NoCaseLess> systemModules;    // found by GetModuleHandleA

    // ---- host window and its list box 101
    struct ListBoxMessage {
        int controlId;
        UINT message;
        WPARAM wParam;
        std::string text;  // LB_ADDSTRING only
    };
    struct HostWindow {
        HWND handle = reinterpret_cast<HWND>(std::uintptr_t{0x2A0});
        std::vector<ListBoxMessage> messages;
    } host;
    // Texts of LB_ADDSTRING, in order.
    std::vector<std::string> ListBoxLines() const;

    // ---- seam
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

    // Open handles (files and semaphores), for tests that check nothing is left open.
    std::size_t OpenHandleCount() const { return handles_.size() + semaphoreHandles_.size(); }

  private:
    struct OpenFile {
        std::string path;
        DWORD access = 0;
        DWORD shareMode = 0;
        std::uint64_t position = 0;
    };
    struct Lock {
        std::string path;
        std::uint64_t offset;
        std::uint64_t length;
        HANDLE owner;  // null: another process
    };
    static bool Hit(Fault *fault);
    // The handle's open file; null, with ERROR_INVALID_HANDLE, when it is none.
    OpenFile *FindHandle(HANDLE handle);
    OpenFile *Transferable(HANDLE file, DWORD access, DWORD length);
    HANDLE NewHandle();
    bool CloseSemaphoreHandle(HANDLE handle);
    // Open registry keys: the key's path and the access asked for.
    struct OpenKey {
        std::string path;
        REGSAM access;
    };
    LSTATUS FindKey(HKEY key, std::string *path, REGSAM *access);
    LSTATUS KeyPath(HKEY key, LPCSTR subKey, const char *verb,
                    std::map<std::string, Fault, NoCaseLess> &faults, std::string *path);

    DWORD lastError_ = 0;
    std::map<HANDLE, OpenFile> handles_;
    std::uintptr_t nextHandle_ = 0x100;
    std::vector<Lock> locks_;
    std::vector<Module> modules_;
    std::uintptr_t nextWindow_ = 0x5000;
    std::size_t lastWindow_ = 0;
    std::map<HANDLE, std::string> deviceHandles_;
    std::map<HANDLE, std::string> semaphoreHandles_;  // handle -> name
    std::map<std::string, LONG> semaphoresHeld_;      // units this process took, by name
    std::map<HKEY, OpenKey> keyHandles_;
};

}  // namespace plv::testing
