// Modules are shared objects. A DLL name becomes the name of the shared
// object that stands for it: "PLVNTPRL.DLL" is libplvntprl.so, looked for in
// the directory of this library (where the agent's companion modules are
// installed), then where the dynamic loader looks. A name with a directory
// is looked for in that directory only.
#include <dlfcn.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

struct LoadedModules {
    std::mutex mutex;
    std::map<void *, int> loads;  // handle -> loads not yet freed
};

LoadedModules &Modules() {
    static LoadedModules modules;
    return modules;
}

std::string DirectoryOfThisLibrary() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&DirectoryOfThisLibrary), &info) == 0 || info.dli_fname == nullptr)
        return ".";
    const std::string path = info.dli_fname;
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

std::string SharedObjectNameOf(const std::string &moduleName) {
    const auto separator = moduleName.find_last_of("\\/:");
    std::string base =
        FoldedAscii(separator == std::string::npos ? moduleName : moduleName.substr(separator + 1));
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
    return "lib" + base + ".so";
}

HMODULE PosixPlatform::LoadLibraryA(LPCSTR name) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string moduleName = name;
    const std::string object = SharedObjectNameOf(moduleName);
    std::vector<std::string> candidates;
    const auto separator = moduleName.find_last_of("\\/:");
    if (separator != std::string::npos) {
        std::string directory;
        if (DWORD error = HostPathOf(moduleName.substr(0, separator + 1).c_str(), &directory)) {
            SetLastError(error == ERROR_PATH_NOT_FOUND ? ERROR_MOD_NOT_FOUND : error);
            return nullptr;
        }
        candidates.push_back(directory + (directory.back() == '/' ? "" : "/") + object);
    } else {
        candidates.push_back(DirectoryOfThisLibrary() + "/" + object);
        candidates.push_back(object);
    }
    for (const std::string &candidate : candidates) {
        if (void *handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            std::lock_guard lock(Modules().mutex);
            ++Modules().loads[handle];
            return static_cast<HMODULE>(handle);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// Entry points are found by name; ordinals (numbers below 0x10000 in place
// of a name) do not exist here.
FARPROC PosixPlatform::GetProcAddress(HMODULE module, LPCSTR name) {
    {
        std::lock_guard lock(Modules().mutex);
        if (Modules().loads.count(module) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void *entry = ::dlsym(module, name);
    if (entry == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(entry);
}

BOOL PosixPlatform::FreeLibrary(HMODULE module) {
    std::lock_guard lock(Modules().mutex);
    auto found = Modules().loads.find(module);
    if (found == Modules().loads.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--found->second == 0) Modules().loads.erase(found);
    ::dlclose(module);
    return TRUE;
}

}  // namespace plv::posix
