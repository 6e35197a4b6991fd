// The program a process runs, as a DOS path.
#pragma once

#include <cstddef>

#include "platform/win32_api.h"

namespace plv::companions {

// The DOS path of the process's program, written with its terminator when
// it can be read and fits in `size` bytes; false otherwise. Kernel threads
// and zombies have no program, other users' processes refuse to name it.
bool WriteDosProgramPath(DWORD processId, char *path, std::size_t size);

}  // namespace plv::companions
