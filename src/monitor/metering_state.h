// What metering start-up resolved and acquired for the scan; shutdown
// releases it.
#pragma once

#include "core/companions.h"
#include "platform/win32_api.h"

namespace plv {

struct MeteringState {
    CreateToolhelp32SnapshotFn createToolhelp32Snapshot = nullptr;
    Process32FirstFn process32First = nullptr;
    Process32NextFn process32Next = nullptr;
    RegisterServiceProcessFn registerServiceProcess = nullptr;

    InitNTProcessListFn initNTProcessList = nullptr;
    ResetNTProcessListFn resetNTProcessList = nullptr;
    GetNextProcessIDFn getNextProcessID = nullptr;
    GetProcessExePathFn getProcessExePath = nullptr;
    FreeNTProcessListFn freeNTProcessList = nullptr;

    HANDLE driver = nullptr;          // the open DOS driver device
    HANDLE timerSemaphore = nullptr;  // "PLVTimerSemaphore"
};

extern MeteringState metering;

void ResetMeteringState();

}  // namespace plv
