// PLVNTPRL.DLL: the list of running processes that the library walks on
// every timer tick on Windows NT, and the program each process runs.
#pragma once

#include "platform/win32_api.h"

extern "C" {
// Takes a first list, so that a machine whose processes cannot be listed
// fails here, at metering start-up; the agent directory is not needed.
BOOL WINAPI InitNTProcessList(const char *agentDirectory);
// Takes a fresh list of the running process ids and starts its walk.
BOOL WINAPI ResetNTProcessList();
// The next process id of the list, 0 after the last.
DWORD WINAPI GetNextProcessID();
// Writes the full path of the process's program into `path` (285 bytes);
// false when it cannot be read. Sets the flag for a virtual DOS machine.
BYTE WINAPI GetProcessExePath(DWORD processId, char *path, BYTE *virtualDosMachine);
// Lets the list go.
void WINAPI FreeNTProcessList();
}
