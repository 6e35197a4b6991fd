// Calendar time through the C runtime's 64-bit functions, which do not end in
// 2038 as the 32-bit ones do.
#include <time.h>

#include "platform/win32/win32_platform.h"

namespace plv::win32 {

std::int64_t Win32Platform::time() { return ::_time64(nullptr); }

bool Win32Platform::localtime(std::int64_t calendarTime, std::tm *local) {
    const __time64_t t = calendarTime;
    return ::_localtime64_s(local, &t) == 0;
}

std::int64_t Win32Platform::mktime(std::tm *local) { return ::_mktime64(local); }

}  // namespace plv::win32
