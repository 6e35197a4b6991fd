// Network time: the source's clock, cached as an offset from the
// workstation's, validated, and never going backwards.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

struct NetworkTimeState {
    std::int32_t checkInterval = 0;  // hours between questions; 0 = not yet read
    std::int64_t lastCallTime = 0;   // workstation calendar time; 0 forces a question
    std::int32_t offset = 0;         // source minus workstation, seconds
    std::uint8_t lastQueryDay = 0;
    std::uint8_t lastQueryHour = 0;
    WSDate lastDate{1, 1, 1990, 0};  // latest date and time handed out after a question
    WSTime lastTime{0, 0, 0, 0};
};

void ResetNetworkTimeState();

// Told when the time source answered an impossible date or time, once the
// workstation's have taken their place.
using ImpossibleTimeReport = void (*)();

// The network date and time: the cached offset while it stands, else the
// time source asked, validated, and never before a time already handed out.
// `report`, when not null, hears of an impossible answer.
void ReadNetworkClock(WSDate *date, WSTime *time, ImpossibleTimeReport report);

}  // namespace plv
