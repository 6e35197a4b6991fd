// PLVNTPRL.DLL for Linux (libplvntprl.so): the list of running processes
// that the library walks on every timer tick.
#pragma once

#include "platform/win32_api.h"

#define PLV_COMPANION_EXPORT extern "C" __attribute__((visibility("default")))

// Opens the process list; the agent directory is not needed here.
PLV_COMPANION_EXPORT BOOL WINAPI InitNTProcessList(const char *agentDirectory);
// Takes a fresh list of the running process ids and starts its walk.
PLV_COMPANION_EXPORT BOOL WINAPI ResetNTProcessList();
// The next process id of the list, 0 after the last.
PLV_COMPANION_EXPORT DWORD WINAPI GetNextProcessID();
// Writes the DOS path of the process's program into `path` (at least 285
// bytes); false when it cannot be read. Linux has no virtual DOS machines:
// the flag is always cleared.
PLV_COMPANION_EXPORT BYTE WINAPI GetProcessExePath(DWORD processId, char *path,
                                                   BYTE *virtualDosMachine);
// Lets the list go.
PLV_COMPANION_EXPORT void WINAPI FreeNTProcessList();
