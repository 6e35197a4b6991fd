#include "support/fake_companions.h"

#include <cstring>

#include "monitor/metering_state.h"

namespace plv::testing {
namespace {

CompanionWorld world;
std::vector<DWORD> listed;
std::size_t listPosition = 0;
std::map<DWORD, std::size_t> taskPosition;
std::size_t snapshotPosition = 0;
const HANDLE kSnapshot = reinterpret_cast<HANDLE>(std::uintptr_t{0x5A5A});

const CompanionWorld::Process *FindProcess(DWORD id) {
    for (const auto &process : world.processes) {
        if (process.id == id) return &process;
    }
    return nullptr;
}

// PLVNTPRL.DLL
BOOL WINAPI InitNTProcessList(const char *directory) {
    world.initDirectory = directory;
    return world.initResult;
}
BOOL WINAPI ResetNTProcessList() {
    if (world.listFails) return FALSE;
    listed.clear();
    for (const auto &process : world.processes) listed.push_back(process.id);
    listPosition = 0;
    return TRUE;
}
DWORD WINAPI GetNextProcessID() { return listPosition < listed.size() ? listed[listPosition++] : 0; }
BYTE WINAPI GetProcessExePath(DWORD id, char *path, BYTE *virtualDosMachine) {
    const auto *process = FindProcess(id);
    if (process == nullptr || process->exePath.empty()) return 0;
    std::strcpy(path, process->exePath.c_str());
    *virtualDosMachine = process->virtualDosMachine ? 1 : 0;
    return 1;
}
void WINAPI FreeNTProcessList() { ++world.listFrees; }

// PLVWOW32.DLL
BOOL WINAPI WaitFor16BitProcess(HWND *window) {
    *window = world.agentWindow;
    return world.agentReady;
}
BOOL WINAPI GetNext16BitTask(DWORD processId, char *name, DWORD *threadId, BOOL first) {
    if (first) taskPosition[processId] = 0;
    const auto &tasks = world.tasks[processId];
    std::size_t &position = taskPosition[processId];
    if (position >= tasks.size()) {
        *threadId = world.threadIdWhenNoTask;
        return FALSE;
    }
    std::strcpy(name, tasks[position].name.c_str());
    *threadId = tasks[position].threadId;
    ++position;
    return TRUE;
}
BOOL WINAPI Get16BitHookData(HWND window, char *path, DWORD *count) {
    auto found = world.hookPaths.find(window);
    if (found == world.hookPaths.end()) return FALSE;
    std::strcpy(path, found->second.c_str());
    *count = static_cast<DWORD>(found->second.size());
    return TRUE;
}
void WINAPI Terminate16BitAgent(DWORD processId, DWORD flag) { world.terminations.emplace_back(processId, flag); }
void WINAPI RemoveVDMProcessEntry() {}

// KERNEL32 of the Windows 95 family.
HANDLE WINAPI FakeCreateToolhelp32Snapshot(DWORD, DWORD) {
    snapshotPosition = 0;
    return world.listFails ? INVALID_HANDLE_VALUE : kSnapshot;
}
BOOL WINAPI FakeProcess32Next(HANDLE, PROCESSENTRY32 *entry) {
    if (snapshotPosition >= world.processes.size()) return FALSE;
    const auto &process = world.processes[snapshotPosition++];
    entry->th32ProcessID = process.id;
    std::strncpy(entry->szExeFile, process.exePath.c_str(), sizeof entry->szExeFile - 1);
    return TRUE;
}
BOOL WINAPI FakeProcess32First(HANDLE snapshot, PROCESSENTRY32 *entry) {
    snapshotPosition = 0;
    return FakeProcess32Next(snapshot, entry);
}
DWORD WINAPI FakeRegisterServiceProcess(DWORD, DWORD) { return 1; }

// PLVWSI32.DLL
DWORD WINAPI DoLastLogin(void *) {
    ++world.lastLogins;
    return world.lastLoginResult;
}

}  // namespace

CompanionWorld &World() { return world; }

void InstallSixteenBitTracker(FakePlatform &fake) {
    world = CompanionWorld{};
    fake.RegisterModule("PLVWOW32.DLL", {{"WaitFor16BitProcess", AsEntry(&WaitFor16BitProcess)},
                                         {"GetNext16BitTask", AsEntry(&GetNext16BitTask)},
                                         {"Get16BitHookData", AsEntry(&Get16BitHookData)},
                                         {"Terminate16BitAgent", AsEntry(&Terminate16BitAgent)},
                                         {"RemoveVDMProcessEntry", AsEntry(&RemoveVDMProcessEntry)}});
}

void InstallCompanions(FakePlatform &fake) {
    fake.RegisterModule("PLVNTPRL.DLL", {{"InitNTProcessList", AsEntry(&InitNTProcessList)},
                                         {"ResetNTProcessList", AsEntry(&ResetNTProcessList)},
                                         {"GetNextProcessID", AsEntry(&GetNextProcessID)},
                                         {"GetProcessExePath", AsEntry(&GetProcessExePath)},
                                         {"FreeNTProcessList", AsEntry(&FreeNTProcessList)}});
    fake.RegisterModule("KERNEL32", {{"CreateToolhelp32Snapshot", AsEntry(&FakeCreateToolhelp32Snapshot)},
                                     {"Process32First", AsEntry(&FakeProcess32First)},
                                     {"Process32Next", AsEntry(&FakeProcess32Next)},
                                     {"RegisterServiceProcess", AsEntry(&FakeRegisterServiceProcess)}});
    fake.systemModules.insert("KERNEL32");
    fake.RegisterModule("PLVWSI32.DLL", {{"DoLastLogin", AsEntry(&DoLastLogin)}});
}

void BindProcessEnumeration(std::int32_t platformCode) {
    if (platformCode == 1) {
        metering.createToolhelp32Snapshot = &FakeCreateToolhelp32Snapshot;
        metering.process32First = &FakeProcess32First;
        metering.process32Next = &FakeProcess32Next;
    } else {
        metering.resetNTProcessList = &ResetNTProcessList;
        metering.getNextProcessID = &GetNextProcessID;
        metering.getProcessExePath = &GetProcessExePath;
        metering.freeNTProcessList = &FreeNTProcessList;
    }
}

}  // namespace plv::testing
