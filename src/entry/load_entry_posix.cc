// The shared object's load notification on Linux: the counterpart of DllMain.
#include <dlfcn.h>

#include "entry/library_entry.h"

namespace {

// The module instance is the shared object's load address, as on Windows.
__attribute__((constructor)) void OnLoad() {
    Dl_info info{};
    void *base = dladdr(reinterpret_cast<void *>(&OnLoad), &info) ? info.dli_fbase : nullptr;
    plv::LibraryEntry(static_cast<HINSTANCE>(base), DLL_PROCESS_ATTACH);
}

__attribute__((destructor)) void OnUnload() { plv::LibraryEntry(nullptr, DLL_PROCESS_DETACH); }

}  // namespace
