// Processes the library starts, and devices it talks to.
#include "support/fake_platform.h"

namespace plv::testing {

BOOL FakePlatform::CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                  LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                  DWORD creationFlags, LPVOID, LPCSTR, LPSTARTUPINFOA startupInfo,
                                  LPPROCESS_INFORMATION processInformation) {
    if (failProcessCreation != 0) {
        SetLastError(failProcessCreation);
        return FALSE;
    }
    started.push_back({applicationName ? applicationName : "", commandLine ? commandLine : "",
                       creationFlags, startupInfo ? startupInfo->dwFlags : 0,
                       startupInfo ? startupInfo->wShowWindow : WORD{0}});
    *processInformation = PROCESS_INFORMATION{};
    processInformation->dwProcessId = 0x700 + static_cast<DWORD>(started.size());
    return TRUE;
}

BOOL FakePlatform::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID,
                                   DWORD, LPDWORD returned, LPOVERLAPPED) {
    if (returned != nullptr) *returned = 0;
    auto handle = deviceHandles_.find(device);
    if (handle == deviceHandles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Device &target = devices[handle->second];
    target.controls.emplace_back(code, std::string(static_cast<const char *>(in), inSize));
    if (!target.answer) SetLastError(ERROR_INVALID_FUNCTION);
    return target.answer;
}

}  // namespace plv::testing
