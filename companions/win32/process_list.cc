#include "process_list.h"

#include <type_traits>

#include "core/companions.h"
#include "process_ids.h"
#include "program_path.h"

// The library calls these through the types it declares for them.
static_assert(std::is_same_v<decltype(&InitNTProcessList), plv::InitNTProcessListFn>);
static_assert(std::is_same_v<decltype(&ResetNTProcessList), plv::ResetNTProcessListFn>);
static_assert(std::is_same_v<decltype(&GetNextProcessID), plv::GetNextProcessIDFn>);
static_assert(std::is_same_v<decltype(&GetProcessExePath), plv::GetProcessExePathFn>);
static_assert(std::is_same_v<decltype(&FreeNTProcessList), plv::FreeNTProcessListFn>);

namespace {

// The path buffer the library passes: 284 characters and the terminator.
constexpr DWORD kPathBuffer = 285;

// One list per process: the library walks it from its host's thread only.
plv::companions::ProcessIds processes;

}  // namespace

BOOL WINAPI InitNTProcessList(const char *) { return processes.Refresh() ? TRUE : FALSE; }

BOOL WINAPI ResetNTProcessList() { return processes.Refresh() ? TRUE : FALSE; }

DWORD WINAPI GetNextProcessID() { return processes.Next(); }

BYTE WINAPI GetProcessExePath(DWORD processId, char *path, BYTE *virtualDosMachine) {
    if (virtualDosMachine != nullptr) *virtualDosMachine = 0;
    if (path == nullptr || !plv::companions::WriteProgramPath(processId, path, kPathBuffer)) return 0;
    if (virtualDosMachine != nullptr && plv::companions::IsVirtualDosMachine(path)) *virtualDosMachine = 1;
    return 1;
}

void WINAPI FreeNTProcessList() { processes.Clear(); }
