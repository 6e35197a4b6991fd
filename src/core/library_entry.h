// The library's load entry and platform detection.
#pragma once

#include "platform/win32_api.h"

namespace plv {

// The operating system's load and unload notification. Loading never fails.
BOOL LibraryEntry(HINSTANCE instance, DWORD reason);

// 1 on the Windows 95 family, 2 on Windows NT, 0 on anything else.
std::int32_t DetectPlatform();

}  // namespace plv
