// The last file error, the network-failure rule, and the conventions every
// writer of a shared file follows.
#pragma once

#include <cstdint>

#include "platform/win32_api.h"

namespace plv {

struct FileErrorState {
    std::int32_t fileError = 0;  // last failed file operation's error code
};

void ResetFileErrorState();

// Records the thread's last error; a network-class error on a remote drive
// (or with no path, which counts as remote) raises the network-failure flag.
// Call it right after the failed operation, with the path for an open.
void SetFileError(const char *path);

bool IsNetworkClassError(DWORD error);

// Opens a shared file for appending, exclusively, positioned at its end, as
// the writers do. Null when it cannot be had (the file error is recorded).
// *end receives the end position.
HANDLE OpenSharedFileForAppend(const char *path, DWORD *end);

// Writes the whole buffer in one call. A failed or short write records the
// file error and cuts the file back to where the write began, so a reader
// never meets a partial record.
bool AppendWhole(HANDLE file, const void *data, DWORD length);

// Closes the handle, trying `attempts` times 100 ms apart; false when no
// attempt succeeded.
bool CloseWithRetries(HANDLE file, std::uint32_t attempts);

}  // namespace plv
