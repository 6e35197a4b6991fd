#include <ctime>

#include "platform/posix/posix_platform.h"

namespace plv::posix {

static_assert(sizeof(time_t) == 8, "calendar time must not end in 2038");

std::int64_t PosixPlatform::time() { return static_cast<std::int64_t>(::time(nullptr)); }

bool PosixPlatform::localtime(std::int64_t calendarTime, std::tm *local) {
    const time_t t = static_cast<time_t>(calendarTime);
    return ::localtime_r(&t, local) != nullptr;
}

std::int64_t PosixPlatform::mktime(std::tm *local) { return static_cast<std::int64_t>(::mktime(local)); }

}  // namespace plv::posix
