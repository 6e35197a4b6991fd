// The library's load entry, the reset of all its state, and platform
// detection.
#pragma once

#include "platform/win32_api.h"

namespace plv {

// Resets every subsystem's state: what loading the library does, and what
// every test does to start from a freshly loaded library.
void ResetLibraryState();

// The operating system's load and unload notification. Loading never fails.
BOOL LibraryEntry(HINSTANCE instance, DWORD reason);

// 1 on the Windows 95 family, 2 on Windows NT, 0 on anything else.
std::int32_t DetectPlatform();

}  // namespace plv
