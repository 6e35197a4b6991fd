// FILETIME, 100-nanosecond ticks since 1 January 1601 UTC, against calendar
// seconds since 1970: one conversion for every layer and platform.
#pragma once

#include <cstdint>

#include "platform/win32_api.h"

namespace plv {

inline constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

constexpr std::int64_t TicksOf(const FILETIME &time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

constexpr FILETIME FileTimeOfTicks(std::int64_t ticks) {
    const auto value = static_cast<std::uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

constexpr std::int64_t CalendarSecondsOf(const FILETIME &time) {
    return TicksOf(time) / kFileTimeTicksPerSecond - kSecondsFrom1601To1970;
}

constexpr FILETIME FileTimeOfCalendarSeconds(std::int64_t seconds) {
    return FileTimeOfTicks((seconds + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond);
}

}  // namespace plv
