#include "core/file_errors.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/library_state.h"
#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

FileErrorState fileErrors;

constexpr UINT kNoErrorDialogs = SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS;
constexpr DWORD kRetryPauseMs = 100;

// Errors by which a lost server, share or connection shows itself.
constexpr DWORD kNetworkClassErrors[] = {1, 3, 6, 15, 17, 51, 53, 55, 59,
                                         64, 67, 71, 87, 88, 240, 1203, 1222};

}  // namespace

void ResetFileErrorState() { fileErrors = FileErrorState{}; }

bool IsNetworkClassError(DWORD error) {
    return std::ranges::find(kNetworkClassErrors, error) != std::end(kNetworkClassErrors);
}

void SetFileError(const char *path) {
    const DWORD error = Os().GetLastError();
    fileErrors.fileError = static_cast<std::int32_t>(error);
    if (!IsNetworkClassError(error)) return;
    const std::int32_t driveType = path != nullptr ? PLVGetDriveType(path) : DRIVE_REMOTE;
    if (driveType == DRIVE_REMOTE) core.networkFailure = true;
}

HANDLE OpenSharedFileForAppend(const char *path, DWORD *end) {
    Os().SetErrorMode(kNoErrorDialogs);
    HANDLE file = Os().CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetFileError(path);
        return nullptr;
    }
    *end = Os().SetFilePointer(file, 0, nullptr, FILE_END);
    if (*end == INVALID_SET_FILE_POINTER) {
        SetFileError(path);
        Os().CloseHandle(file);
        return nullptr;
    }
    return file;
}

bool AppendWhole(HANDLE file, const void *data, DWORD length) {
    DWORD written = 0;
    if (Os().WriteFile(file, data, length, &written, nullptr) && written == length) return true;
    SetFileError(nullptr);
    if (written > 0) {
        Os().SetFilePointer(file, -static_cast<LONG>(written), nullptr, FILE_CURRENT);
        Os().SetEndOfFile(file);
    }
    return false;
}

bool CloseWithRetries(HANDLE file, std::uint32_t attempts) {
    for (std::uint32_t attempt = 0; attempt < attempts; ++attempt) {
        if (Os().CloseHandle(file)) return true;
        SetFileError(nullptr);
        Os().Sleep(kRetryPauseMs);
    }
    return false;
}

}  // namespace plv

extern "C" PLV_EXPORT int32_t PLVAPI GetFileError(void) { return plv::fileErrors.fileError; }

extern "C" PLV_EXPORT int32_t PLVAPI PLVGetDriveType(const char *path) {
    if (path == nullptr) return DRIVE_REMOTE;
    char root[285] = {};
    LeftStr(root, path, 284);
    if (root[1] == ':') {
        root[3] = '\0';  // drive root: letter, colon, backslash
    } else if (root[0] == '\\' && root[1] == '\\') {
        // Share root: two backslashes, server, backslash, share, backslash.
        char *server = std::strchr(root + 2, '\\');
        char *share = server != nullptr ? std::strchr(server + 1, '\\') : nullptr;
        if (share != nullptr) share[1] = '\0';
    }
    const UINT type = plv::Os().GetDriveTypeA(root);
    return (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) ? DRIVE_REMOTE
                                                                : static_cast<int32_t>(type);
}
