#include "report_filter.h"

#include <algorithm>

#include "log_time.h"

namespace plvreport {

SessionSelection::SessionSelection(const ReportFilter &filter, const NameBook &names)
    : filter_(filter),
      names_(names),
      begin_(filter.from.value_or(kEarliest)),
      end_(filter.to ? *filter.to + plv::logs::kSecondsPerDay : kLatest) {}

bool SessionSelection::NameWanted(Dimension dimension, std::int64_t id,
                                  const std::vector<std::string> &wanted) const {
    return wanted.empty() ||
           std::find(wanted.begin(), wanted.end(), names_.Name(dimension, id)) != wanted.end();
}

bool SessionSelection::Wanted(const Session &s) const {
    return s.start < end_ && EffectiveEnd(s) > begin_ &&
           NameWanted(Dimension::application, s.application, filter_.applications) &&
           NameWanted(Dimension::user, s.user, filter_.users) &&
           NameWanted(Dimension::workstation, s.workstation, filter_.workstations);
}

std::int64_t SessionSelection::SecondsWithin(std::int64_t start, std::int64_t end,
                                             std::int64_t from, std::int64_t to) const {
    const std::int64_t first = std::max({start, from, begin_});
    const std::int64_t last = std::min({end, to, end_});
    return std::max<std::int64_t>(0, last - first);
}

}  // namespace plvreport
