// Whether the test runs under Wine, for the few tests that must accept one
// of its known differences from Windows; each such test says which.
#pragma once

#include <windows.h>

#include <string>

namespace plv::testing {

inline bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Under Wine the Windows user is the Unix user, by name.
inline bool RunningUnderWineAsRoot() {
    char user[64];
    DWORD size = sizeof user;
    return RunningUnderWine() && ::GetUserNameA(user, &size) && std::string(user) == "root";
}

}  // namespace plv::testing
