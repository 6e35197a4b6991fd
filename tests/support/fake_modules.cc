#include <algorithm>

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

// Module handles are 1-based indexes into the registered modules.
HMODULE HandleOf(std::size_t index) { return reinterpret_cast<HMODULE>(index + 1); }

}  // namespace

HMODULE FakePlatform::RegisterModule(const std::string &name,
                                     std::map<std::string, FARPROC> entries) {
    modules_.push_back(Module{name, std::move(entries)});
    return HandleOf(modules_.size() - 1);
}

FakePlatform::Module &FakePlatform::ModuleOf(HMODULE module) {
    return modules_.at(reinterpret_cast<std::uintptr_t>(module) - 1);
}

HMODULE FakePlatform::GetModuleHandleA(LPCSTR name) {
    if (systemModules.count(name) != 0) {
        for (std::size_t i = 0; i < modules_.size(); ++i) {
            if (!NoCaseLess{}(modules_[i].name, name) && !NoCaseLess{}(name, modules_[i].name))
                return HandleOf(i);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE FakePlatform::LoadLibraryA(LPCSTR name) {
    for (std::size_t i = 0; i < modules_.size(); ++i) {
        if (!NoCaseLess{}(modules_[i].name, name) && !NoCaseLess{}(name, modules_[i].name)) {
            ++modules_[i].loads;
            return HandleOf(i);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC FakePlatform::GetProcAddress(HMODULE module, LPCSTR name) {
    const auto index = reinterpret_cast<std::uintptr_t>(module);
    if (index == 0 || index > modules_.size()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const auto &entries = modules_[index - 1].entries;
    auto found = entries.find(name);
    if (found == entries.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return found->second;
}

BOOL FakePlatform::FreeLibrary(HMODULE module) {
    const auto index = reinterpret_cast<std::uintptr_t>(module);
    if (index == 0 || index > modules_.size()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++modules_[index - 1].frees;
    return TRUE;
}

}  // namespace plv::testing
