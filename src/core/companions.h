// The calls into companion modules and into entry points looked up at run
// time, as typed entry points.
#pragma once

#include "platform/win32_api.h"

namespace plv {

// Windows 95 system kernel, looked up in "KERNEL32".
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI *)(DWORD flags, DWORD processId);
using Process32FirstFn = BOOL(WINAPI *)(HANDLE snapshot, PROCESSENTRY32 *entry);
using Process32NextFn = BOOL(WINAPI *)(HANDLE snapshot, PROCESSENTRY32 *entry);
using RegisterServiceProcessFn = DWORD(WINAPI *)(DWORD processId, DWORD type);

// The NT process-list module, PLVNTPRL.DLL.
using InitNTProcessListFn = BOOL(WINAPI *)(const char *agentDirectory);
using ResetNTProcessListFn = BOOL(WINAPI *)();
using GetNextProcessIDFn = DWORD(WINAPI *)();
using GetProcessExePathFn = BYTE(WINAPI *)(DWORD processId, char *path, BYTE *virtualDosMachine);
using FreeNTProcessListFn = void(WINAPI *)();

// The 16-bit task tracker, PLVWOW32.DLL.
using WaitFor16BitProcessFn = BOOL(WINAPI *)(HWND *agentWindow);
using GetNext16BitTaskFn = BOOL(WINAPI *)(DWORD processId, char *taskName, DWORD *threadId,
                                          BOOL firstCall);
using Get16BitHookDataFn = BOOL(WINAPI *)(HWND window, char *path, DWORD *count);
using Terminate16BitAgentFn = void(WINAPI *)(DWORD processId, DWORD flag);

// The daily companion, PLVWSI32.DLL.
using DoLastLoginFn = DWORD(WINAPI *)(void *agentState);

}  // namespace plv
