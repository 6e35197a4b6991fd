#include "platform/win32/win32_platform.h"

namespace plv::win32 {

HGLOBAL Win32Platform::GlobalAlloc(UINT flags, SIZE_T bytes) { return ::GlobalAlloc(flags, bytes); }

HGLOBAL Win32Platform::GlobalFree(HGLOBAL block) { return ::GlobalFree(block); }

}  // namespace plv::win32
