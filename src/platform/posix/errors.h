// One translation from errno to the Win32 codes the core expects.
#pragma once

#include <string>

#include "platform/win32_api.h"

namespace plv::posix {

// What was being done when the error came: some errno values mean
// different things to Windows depending on it.
enum class FileOperation {
    Open,        // opening or creating a file
    CreateNew,   // creating a file that must not exist
    Read,
    Write,
    Seek,
    Truncate,
    Close,
    Delete,
    Attributes,  // reading or setting attributes
    Lock,        // taking a byte-range lock
    Share,       // taking the locks that stand for a share mode
    Module,      // loading a shared object
    Execute,     // starting a program
};

struct ErrorContext {
    FileOperation operation;
    std::string hostPath = {};  // the file concerned, when the call named one
    bool remote = false;   // the file lives on a network file system
};

DWORD Win32ErrorOf(int error, const ErrorContext &context);

// Win32ErrorOf for the current errno, stored as the thread's last error.
void SetLastErrorFromErrno(const ErrorContext &context);

}  // namespace plv::posix
