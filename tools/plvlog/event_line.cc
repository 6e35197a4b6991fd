#include "event_line.h"

#include <bit>
#include <cstring>

#include "log_time.h"

namespace plv::logs {

std::optional<EventLine> ReadEventLine(std::string_view line) {
    EventLine event;
    EventFields &fields = event.fields;
    std::size_t field = 0, fieldStart = 0;
    const auto separator = [&](std::size_t at) {
        if (field + 1 == kEventFieldCount) return false;
        fields[field++] = line.substr(fieldStart, at - fieldStart);
        fieldStart = at + 1;
        return true;
    };
    // Eight bytes at a time: the fields are short, and a search per field
    // costs more than the line.
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, 8);
        const std::uint64_t zeroed = word ^ (kOnes * ';');
        // A high bit for each byte that may be ';' (exactly those, and
        // perhaps a byte after one): each is looked at.
        std::uint64_t maybe = (zeroed - kOnes) & ~zeroed & kHighs;
        while (maybe != 0) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(maybe)) / 8;
            if (line[at] == ';' && !separator(at)) return std::nullopt;
            maybe &= maybe - 1;
        }
    }
    for (; i < line.size(); ++i)
        if (line[i] == ';' && !separator(i)) return std::nullopt;
    if (field + 1 != kEventFieldCount) return std::nullopt;
    fields[field] = line.substr(fieldStart);
    const auto at = LoggedInstant(fields[kDate], fields[kTime]);
    if (!at) return std::nullopt;
    event.at = *at;
    if (fields[kStartDate].empty() && fields[kStartTime].empty()) return event;
    event.startAt = LoggedInstant(fields[kStartDate], fields[kStartTime]);
    if (!event.startAt) return std::nullopt;
    return event;
}

}  // namespace plv::logs
