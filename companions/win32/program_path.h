// The program a process runs, as a full Windows path.
#pragma once

#include "platform/win32_api.h"

namespace plv::companions {

// Writes the full path of the process's program, with its terminator, when
// it can be read and fits in `size` bytes; false otherwise (the idle and
// system processes, processes gone, paths too long).
bool WriteProgramPath(DWORD processId, char *path, DWORD size);

// True for the program of a virtual DOS machine: a file named NTVDM.EXE,
// in whatever letter case and directory.
bool IsVirtualDosMachine(const char *path);

}  // namespace plv::companions
