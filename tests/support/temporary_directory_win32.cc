#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "support/temporary_directory.h"

namespace plv::testing {

// CreateDirectoryA fails for a name that exists, so trying names in turn
// claims one that no other test program has, without a race.
TemporaryDirectory::TemporaryDirectory() {
    char temp[MAX_PATH];
    const DWORD length = ::GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) throw std::runtime_error("no temporary directory");
    const DWORD seed = ::GetCurrentProcessId() * 7919u + ::GetTickCount();
    for (DWORD attempt = 0; attempt < 1000; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, "PLV%05lX", static_cast<unsigned long>((seed + attempt) & 0xFFFFF));
        const std::string candidate = std::string(temp) + name;
        if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
            char shortPath[MAX_PATH];
            const DWORD shortLength = ::GetShortPathNameA(candidate.c_str(), shortPath, MAX_PATH);
            path_ = shortLength > 0 && shortLength < MAX_PATH ? std::string(shortPath, shortLength) : candidate;
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot create a temporary directory");
}

// Read-only files (a test may leave one) are made writable first: Windows
// refuses to delete them.
TemporaryDirectory::~TemporaryDirectory() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (const auto &entry : fs::recursive_directory_iterator(path_, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

}  // namespace plv::testing
