// Drive types from the file system that holds a path.
#pragma once

#include <sys/statfs.h>
#include <sys/types.h>

#include "platform/win32_api.h"

namespace plv::posix {

// The drive type of a file system, from its statfs answer and the device
// number of a file on it.
UINT DriveTypeOf(const struct statfs &fileSystem, dev_t device);

// Whether an open descriptor's file lives on a network file system.
bool IsRemote(int fd);

}  // namespace plv::posix
