#include "monitor/sixteen_bit_agent.h"

#include <string>

#include "core/library_state.h"
#include "monitor/sixteen_bit.h"
#include "platform/entry_point.h"
#include "platform/platform.h"

namespace plv {

SixteenBitState sixteenBit;

void ResetSixteenBitState() { sixteenBit = SixteenBitState{}; }

namespace {

constexpr char kStartSemaphore[] = "PLVStartSemaphore";

bool Fail(const char *component) {
    PLVAddEvent("Initialization Failure", "Pelvantine", component);
    return false;
}

bool BindTracker() {
    HMODULE module = Os().LoadLibraryA("PLVWOW32.DLL");
    if (module == nullptr) return false;
    FARPROC wait = Os().GetProcAddress(module, "WaitFor16BitProcess");
    FARPROC next = Os().GetProcAddress(module, "GetNext16BitTask");
    FARPROC hook = Os().GetProcAddress(module, "Get16BitHookData");
    FARPROC terminate = Os().GetProcAddress(module, "Terminate16BitAgent");
    FARPROC remove = Os().GetProcAddress(module, "RemoveVDMProcessEntry");
    if (!wait || !next || !hook || !terminate || !remove) return false;
    sixteenBit.waitFor16BitProcess = EntryPoint<WaitFor16BitProcessFn>(wait);
    sixteenBit.getNext16BitTask = EntryPoint<GetNext16BitTaskFn>(next);
    sixteenBit.get16BitHookData = EntryPoint<Get16BitHookDataFn>(hook);
    sixteenBit.terminate16BitAgent = EntryPoint<Terminate16BitAgentFn>(terminate);
    sixteenBit.removeVDMProcessEntry = remove;
    return true;
}

HANDLE CreateStartSemaphore() {
    HANDLE semaphore = Os().CreateSemaphoreA(nullptr, 0, 1, kStartSemaphore);
    if (semaphore == nullptr && Os().GetLastError() == ERROR_ALREADY_EXISTS)
        semaphore = Os().OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kStartSemaphore);
    return semaphore;
}

// Started hidden at high priority. The program's full path is also given as
// the application name, so a blank in the agent directory cannot make
// Windows start another program; and it is quoted on the command line, so
// the program's own first argument is the directory that follows it.
bool StartAgentProgram() {
    const std::string directory = Agent().agentDirectory != nullptr ? Agent().agentDirectory : "";
    const std::string program = directory + "\\PLVWOW16.EXE";
    std::string commandLine = "\"" + program + "\" " + directory;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!Os().CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    if (process.hThread != nullptr) Os().CloseHandle(process.hThread);
    if (process.hProcess != nullptr) Os().CloseHandle(process.hProcess);
    return true;
}

bool StartAgent() {
    if (!BindTracker()) return Fail("PLVWOW32.DLL");
    HANDLE semaphore = CreateStartSemaphore();
    if (semaphore == nullptr) return Fail("Rd Semaphore");
    if (!StartAgentProgram()) return Fail("PLVWOW16.EXE");
    HWND agentWindow = nullptr;
    if (!sixteenBit.waitFor16BitProcess(&agentWindow)) return Fail("PLVWOW16.EXE");
    Os().CloseHandle(semaphore);
    Os().GetWindowThreadProcessId(agentWindow, &sixteenBit.agentProcessId);
    return true;
}

}  // namespace

bool StartSixteenBitAgent() {
    if (StartAgent()) return true;
    sixteenBit.getNext16BitTask = nullptr;  // 16-bit tracking stays off
    return false;
}

}  // namespace plv
