// What every report takes: a period of days and names to keep.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "sessions.h"

namespace plvreport {

struct ReportFilter {
    std::optional<std::int64_t> from;  // the first second of the first day
    std::optional<std::int64_t> to;    // the first second of the last day
    std::vector<std::string> applications, users, workstations;  // empty: all
};

// A session lasts at least a second: a start and an end in the same second
// still say the application was in use.
inline std::int64_t EffectiveEnd(const Session &s) { return std::max(s.end, s.start + 1); }

class SessionSelection {
  public:
    SessionSelection(const ReportFilter &filter, const NameBook &names);

    // Of the names wanted, and in use within the period.
    bool Wanted(const Session &session) const;
    // The first second of the period and the one after it.
    std::int64_t begin() const { return begin_; }
    std::int64_t end() const { return end_; }
    // The seconds of [start, end) within the period and [from, to).
    std::int64_t SecondsWithin(std::int64_t start, std::int64_t end, std::int64_t from = kEarliest,
                               std::int64_t to = kLatest) const;

    static constexpr std::int64_t kEarliest = std::numeric_limits<std::int64_t>::min() / 2;
    static constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max() / 2;

  private:
    bool NameWanted(Dimension dimension, std::int64_t id,
                    const std::vector<std::string> &wanted) const;

    const ReportFilter &filter_;
    const NameBook &names_;
    std::int64_t begin_, end_;
};

}  // namespace plvreport
