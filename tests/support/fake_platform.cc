#include "support/fake_platform.h"

#include <cstdlib>
#include <cstring>

namespace plv::testing {

FakePlatform::FakePlatform() { SetLocalTime(1998, 8, 20, 9, 15, 2); }

// Blocks the library still holds when the test ends are the test's leak
// to report; the fake only gives the memory back. Like any process that
// ends, it gives back the semaphore units it took.
FakePlatform::~FakePlatform() {
    EndProcess();
    for (const auto &[block, size] : heap.live) std::free(block);
}

DWORD FakePlatform::GetCurrentProcessId() { return processId; }

BOOL FakePlatform::GetVersionExA(LPOSVERSIONINFOA info) {
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 0;
    info->dwPlatformId = version.platformId;
    return TRUE;
}

DWORD FakePlatform::GetLastError() { return lastError_; }

void FakePlatform::SetLastError(DWORD error) { lastError_ = error; }

UINT FakePlatform::SetErrorMode(UINT mode) {
    const UINT previous = errorMode;
    errorMode = mode;
    return previous;
}

void FakePlatform::Sleep(DWORD milliseconds) { sleeps.push_back(milliseconds); }

DWORD FakePlatform::GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    auto found = environment.find(name);
    if (found == environment.end()) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::string &value = found->second;
    if (buffer == nullptr || value.size() >= size) return static_cast<DWORD>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}

// Latin-1 bytes map to the same code points; enough for the texts tests use.
int FakePlatform::MultiByteToWideChar(UINT, DWORD, LPCCH multiByte, int multiByteLength,
                                      LPWSTR wide, int wideLength) {
    const int count = multiByteLength < 0 ? static_cast<int>(std::strlen(multiByte)) + 1
                                          : multiByteLength;
    if (wideLength == 0) return count;
    if (count > wideLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < count; ++i) wide[i] = static_cast<unsigned char>(multiByte[i]);
    return count;
}

}  // namespace plv::testing
