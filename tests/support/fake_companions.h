// Companion modules of a fake machine: the NT process list, the 16-bit task
// tracker, the Windows 95 kernel's ToolHelp and the daily module. Their entry
// points are plain functions, so they answer from one world the test sets up.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace plv::testing {

struct CompanionWorld {
    struct Process {
        DWORD id = 0;
        std::string exePath;  // empty: the path cannot be read
        bool virtualDosMachine = false;
    };
    std::vector<Process> processes;
    bool listFails = false;  // ResetNTProcessList / snapshot fail
    std::string initDirectory;
    BOOL initResult = TRUE;
    int listFrees = 0;

    struct Task {
        std::string name;
        DWORD threadId = 0;
    };
    std::map<DWORD, std::vector<Task>> tasks;  // by virtual DOS machine
    DWORD threadIdWhenNoTask = 1;  // what GetNext16BitTask leaves after the last task
    std::vector<std::pair<DWORD, DWORD>> terminations;
    HWND agentWindow = nullptr;
    BOOL agentReady = TRUE;
    std::map<HWND, std::string> hookPaths;  // 16-bit windows' program paths

    DWORD lastLoginResult = 1;
    int lastLogins = 0;
};

CompanionWorld &World();

// Empties the world and registers the 16-bit task tracker, which library
// start-up on NT loads.
void InstallSixteenBitTracker(FakePlatform &fake);

// Registers the other companions: the NT process list, the Windows 95
// kernel's ToolHelp and the daily module.
void InstallCompanions(FakePlatform &fake);

// What metering start-up would bind: the platform's process enumeration.
void BindProcessEnumeration(std::int32_t platformCode);

}  // namespace plv::testing
