// Metering start-up on the Windows 95 family.
#include <cstring>
#include <string>

#include "core/companions.h"
#include "core/display.h"
#include "core/library_state.h"
#include "entry/metering_startup.h"
#include "monitor/metering_state.h"
#include "platform/platform.h"

namespace plv {
namespace {

constexpr char kKnownVxDsKey[] = "System\\CurrentControlSet\\Control\\SessionManager\\KnownVxDs";
constexpr char kDriverValue[] = "PLVDOS";
constexpr char kDriverDevice[] = "\\\\.\\PLVDOS";
constexpr std::size_t kPathCapacity = 284;

// Control codes that start the driver's reports to the host window, in order.
constexpr DWORD kStartReportCodes[] = {2, 1};

// Every entry point found is kept; all four must be there.
bool BindKernelEntryPoints() {
    HMODULE kernel = Os().GetModuleHandleA("KERNEL32");
    if (kernel == nullptr) return false;
    metering.createToolhelp32Snapshot =
        LookUp<CreateToolhelp32SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    metering.process32First = LookUp<Process32FirstFn>(kernel, "Process32First");
    metering.process32Next = LookUp<Process32NextFn>(kernel, "Process32Next");
    metering.registerServiceProcess =
        LookUp<RegisterServiceProcessFn>(kernel, "RegisterServiceProcess");
    return metering.createToolhelp32Snapshot != nullptr && metering.process32First != nullptr &&
           metering.process32Next != nullptr && metering.registerServiceProcess != nullptr;
}

// True when the value already names exactly this path.
bool HoldsPath(HKEY key, const std::string &path) {
    char value[kPathCapacity + 2] = {};
    DWORD size = kPathCapacity + 1;
    if (Os().RegQueryValueExA(key, kDriverValue, nullptr, nullptr,
                              reinterpret_cast<LPBYTE>(value), &size) != ERROR_SUCCESS)
        return false;
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    return path == value;
}

// The system loads the drivers listed under KnownVxDs; a value that is
// already right is left alone.
bool EnterDriverInRegistry() {
    const std::string path = std::string(Agent().agentDirectory) + "\\" + "PLVDOS.VXD";
    HKEY key = nullptr;
    if (Os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKnownVxDsKey, 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS &&
        Os().RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKnownVxDsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;

    bool entered = HoldsPath(key, path);
    if (!entered) {
        entered = Os().RegSetValueExA(key, kDriverValue, 0, REG_SZ,
                                      reinterpret_cast<const BYTE *>(path.c_str()),
                                      static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS;
    }
    Os().RegCloseKey(key);
    return entered;
}

// Opens the driver and starts its reports. A handle once opened is kept even
// when the reports cannot be started: shutdown closes it.
bool OpenDriver() {
    HANDLE driver = Os().CreateFileA(kDriverDevice, 0, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (driver == INVALID_HANDLE_VALUE) return false;
    metering.driver = driver;

    // The driver takes the host window as a 32-bit value.
    DWORD window = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(core.hostWindow));
    for (DWORD code : kStartReportCodes) {
        DWORD returned = 0;
        if (!Os().DeviceIoControl(driver, code, &window, sizeof window, nullptr, 0, &returned,
                                  nullptr))
            return false;
    }
    Trace("PLVDOS.VXD Version 2.8");
    return true;
}

}  // namespace

bool StartWindows95Metering() {
    if (!BindKernelEntryPoints()) {
        LogInitializationFailure("KERNEL32.DLL");
        return false;
    }
    // A traced agent stays visible in the task list.
    if (!OptionSet(PLV_OPT_TRACE) && metering.registerServiceProcess(core.ownProcessId, 1) == 0)
        LogInitializationFailure("Reg. Service");

    if (EnterDriverInRegistry() && OpenDriver()) return true;
    Trace("Can't load VxD -- no DOS metering");
    LogInitializationFailure("PLVDOS.VXD");
    return true;
}

}  // namespace plv
