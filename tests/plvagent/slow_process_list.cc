// A process-list module that takes its time: the real module's calls behind
// a reset that sleeps longer than a timer period, so that every cycle of the
// agent that loads it outlasts its second.
#include <dlfcn.h>
#include <unistd.h>

#include "core/companions.h"
#include "process_list.h"

namespace {

constexpr useconds_t kResetTime = 1'500'000;

template <typename Function>
Function Real(const char *name) {
    static void *module = ::dlopen(PLV_REAL_PROCESS_LIST, RTLD_NOW | RTLD_LOCAL);
    return module != nullptr ? reinterpret_cast<Function>(::dlsym(module, name)) : nullptr;
}

}  // namespace

BOOL WINAPI InitNTProcessList(const char *directory) {
    return Real<plv::InitNTProcessListFn>("InitNTProcessList")(directory);
}

BOOL WINAPI ResetNTProcessList() {
    ::usleep(kResetTime);
    return Real<plv::ResetNTProcessListFn>("ResetNTProcessList")();
}

DWORD WINAPI GetNextProcessID() { return Real<plv::GetNextProcessIDFn>("GetNextProcessID")(); }

BYTE WINAPI GetProcessExePath(DWORD processId, char *path, BYTE *virtualDosMachine) {
    return Real<plv::GetProcessExePathFn>("GetProcessExePath")(processId, path, virtualDosMachine);
}

void WINAPI FreeNTProcessList() { Real<plv::FreeNTProcessListFn>("FreeNTProcessList")(); }
