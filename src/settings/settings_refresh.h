// Settings refresh: the settings file is looked at once per update interval
// and its SMS settings and refresh action re-read after it changed.
#pragma once

#include <cstdint>

namespace plv {

struct SettingsCheckState {
    std::int32_t checkInterval = 0;  // seconds; 0 also means no check made yet
    std::int64_t lastCheckTime = 0;  // workstation calendar seconds
    std::int64_t lastModified = 0;   // the file's modification time at that check
};

void ResetSettingsCheckState();

}  // namespace plv
