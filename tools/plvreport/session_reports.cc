#include "session_reports.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "log_time.h"
#include "peaks.h"

namespace plvreport {
namespace {

using plv::logs::Column;
using plv::logs::DayOf;
using plv::logs::kSecondsPerDay;

// A workstation and user pair as one number.
std::int64_t PairOf(const Session &s) { return (s.workstation << 32) ^ s.user; }

void WriteCells(plv::logs::RowWriter &out, const std::vector<std::string> &cells) {
    out.Row(std::vector<std::string_view>(cells.begin(), cells.end()));
}

// Every day [from, to) touches, each with its own part of it.
template <typename Visit>
void ForEachDay(std::int64_t from, std::int64_t to, Visit visit) {
    for (std::int64_t day = DayOf(from); day < to; day += kSecondsPerDay)
        visit(day, std::max(from, day), std::min(to, day + kSecondsPerDay));
}

}  // namespace

std::vector<Column> SessionColumns() {
    return {{"workstation"}, {"user"}, {"context"},       {"application"},
            {"start"},       {"end"},  {"seconds", true}, {"state"}};
}

void WriteSessions(const SessionSet &set, const ReportFilter &filter, plv::logs::RowWriter &out) {
    const SessionSelection selection(filter, set.names);
    const NameBook &n = set.names;
    // The order's keys are taken once a session, not once a comparison.
    struct Ordered {
        std::int64_t start, workstation, user, context, application, end;
        bool open;
        const Session *session;
        auto Key() const {
            return std::tie(start, workstation, user, context, application, end, open);
        }
    };
    std::vector<Ordered> chosen;
    for (const Session &s : set.sessions) {
        if (!selection.Wanted(s)) continue;
        chosen.push_back({s.start, n.Rank(Dimension::workstation, s.workstation),
                          n.Rank(Dimension::user, s.user), n.Rank(Dimension::context, s.context),
                          n.Rank(Dimension::application, s.application), s.end, s.open, &s});
    }
    std::sort(chosen.begin(), chosen.end(),
              [](const Ordered &a, const Ordered &b) { return a.Key() < b.Key(); });
    std::vector<std::string> cells(8);
    for (const Ordered &o : chosen) {
        const Session &s = *o.session;
        cells[0] = n.Name(Dimension::workstation, s.workstation);
        cells[1] = n.Name(Dimension::user, s.user);
        cells[2] = n.Name(Dimension::context, s.context);
        cells[3] = n.Name(Dimension::application, s.application);
        cells[4] = plv::logs::InstantText(s.start);
        cells[5] = plv::logs::InstantText(s.end);
        cells[6] = std::to_string(s.end - s.start);
        cells[7] = s.open ? "open" : "closed";
        WriteCells(out, cells);
    }
}

std::vector<Column> UsageColumns() {
    return {
        {"key"}, {"sessions", true}, {"users", true}, {"workstations", true}, {"seconds", true}};
}

void WriteUsage(const SessionSet &set, const ReportFilter &filter, UsageKey key,
                plv::logs::RowWriter &out) {
    struct Usage {
        std::int64_t sessions = 0, seconds = 0;
        std::unordered_set<std::int64_t> pairs, workstations;
    };
    const SessionSelection selection(filter, set.names);
    const NameBook &n = set.names;
    // Keyed by the key's place in byte order: a day's first second, or a name's rank.
    std::map<std::int64_t, std::pair<std::string, Usage>> rows;
    const auto count = [&](std::int64_t rank, const auto &name, const Session &s,
                           std::int64_t seconds) {
        auto &row = rows[rank];
        if (row.first.empty()) row.first = name();
        row.second.sessions += 1;
        row.second.seconds += seconds;
        row.second.pairs.insert(PairOf(s));
        row.second.workstations.insert(s.workstation);
    };
    for (const Session &s : set.sessions) {
        if (!selection.Wanted(s)) continue;
        if (key == UsageKey::day) {
            ForEachDay(std::max(s.start, selection.begin()),
                       std::min(EffectiveEnd(s), selection.end()),
                       [&](std::int64_t day, std::int64_t, std::int64_t) {
                           count(
                               day, [&] { return plv::logs::DayText(day); }, s,
                               selection.SecondsWithin(s.start, s.end, day, day + kSecondsPerDay));
                       });
            continue;
        }
        const Dimension dimension = key == UsageKey::application ? Dimension::application
                                    : key == UsageKey::user      ? Dimension::user
                                                                 : Dimension::workstation;
        const std::int64_t id = dimension == Dimension::application ? s.application
                                : dimension == Dimension::user      ? s.user
                                                                    : s.workstation;
        count(
            n.Rank(dimension, id), [&] { return n.Name(dimension, id); }, s,
            selection.SecondsWithin(s.start, s.end));
    }
    for (const auto &[rank, row] : rows) {
        const Usage &u = row.second;
        WriteCells(out, {row.first, std::to_string(u.sessions), std::to_string(u.pairs.size()),
                         std::to_string(u.workstations.size()), std::to_string(u.seconds)});
    }
}

std::vector<Column> PeakColumns() { return {{"application"}, {"day"}, {"peak", true}, {"at"}}; }

void WritePeaks(const SessionSet &set, const ReportFilter &filter, plv::logs::RowWriter &out) {
    for (const PeakRow &row : PeakConcurrency(set, filter, Period::day))
        WriteCells(out, {row.application, plv::logs::DayText(row.period), std::to_string(row.peak),
                         plv::logs::InstantText(row.at)});
}

}  // namespace plvreport
