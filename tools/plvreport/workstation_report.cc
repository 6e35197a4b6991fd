#include "workstation_report.h"

#include <algorithm>
#include <map>

#include "log_time.h"

namespace plvreport {

std::vector<plv::logs::Column> WorkstationColumns() {
    return {{"workstation"},     {"first"},          {"last"},
            {"events", true},    {"sessions", true}, {"failures", true}};
}

void WriteWorkstations(Store &store, const SessionSet &set, const ReportFilter &filter,
                       plv::logs::RowWriter &out) {
    struct Seen {
        std::int64_t first = 0, last = 0, events = 0, sessions = 0, failures = 0;
    };
    const SessionSelection selection(filter, set.names);
    const NameBook &n = set.names;
    const auto wanted = [&](std::int64_t workstation) {
        return filter.workstations.empty() ||
               std::find(filter.workstations.begin(), filter.workstations.end(),
                         n.Name(Dimension::workstation, workstation)) != filter.workstations.end();
    };
    std::map<std::int64_t, Seen> byRank;
    store.ScanEvents([&](const EventRow &row) {
        if (row.at < selection.begin() || row.at >= selection.end() || !wanted(row.workstation))
            return;
        auto [entry, added] = byRank.try_emplace(n.Rank(Dimension::workstation, row.workstation));
        Seen &seen = entry->second;
        seen.first = added ? row.at : std::min(seen.first, row.at);
        seen.last = added ? row.at : std::max(seen.last, row.at);
        ++seen.events;
        if (row.kind == EventKind::failure) ++seen.failures;
    });
    for (const Session &s : set.sessions) {
        const std::int64_t rank = n.Rank(Dimension::workstation, s.workstation);
        if (s.start >= selection.begin() && s.start < selection.end() && byRank.contains(rank))
            ++byRank[rank].sessions;
    }
    std::vector<NamedId> workstations = store.Names(Dimension::workstation);
    std::map<std::int64_t, std::string> names;
    for (NamedId &w : workstations) names[n.Rank(Dimension::workstation, w.id)] = std::move(w.name);
    for (const auto &[rank, seen] : byRank) {
        const std::string first = plv::logs::InstantText(seen.first),
                          last = plv::logs::InstantText(seen.last),
                          events = std::to_string(seen.events),
                          sessions = std::to_string(seen.sessions),
                          failures = std::to_string(seen.failures);
        out.Row({names.at(rank), first, last, events, sessions, failures});
    }
}

}  // namespace plvreport
