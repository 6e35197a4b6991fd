#include "program_path.h"

#include <cstring>

namespace plv::companions {
namespace {

bool EqualIgnoringAsciiCase(const char *a, const char *b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(*a) != lower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

// The limited query right is granted for other users' and elevated
// processes too, and the name it gives is that of the program file even
// for a 64-bit process seen from a 32-bit one.
bool WriteProgramPath(DWORD processId, char *path, DWORD size) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    DWORD length = size;
    const BOOL written = ::QueryFullProcessImageNameA(process, 0, path, &length);
    ::CloseHandle(process);
    return written != FALSE;
}

bool IsVirtualDosMachine(const char *path) {
    const char *name = std::strrchr(path, '\\');
    return EqualIgnoringAsciiCase(name != nullptr ? name + 1 : path, "ntvdm.exe");
}

}  // namespace plv::companions
