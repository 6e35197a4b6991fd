#include "peaks.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace plvreport {
namespace {

// A workstation and user pair as one number.
std::int64_t PairOf(const Session &s) { return (s.workstation << 32) ^ s.user; }

}  // namespace

std::vector<PeakRow> PeakConcurrency(const SessionSet &set, const ReportFilter &filter,
                                     Period period) {
    struct Piece {
        std::int64_t application, period, pair, from, to;
    };
    const SessionSelection selection(filter, set.names);
    const NameBook &n = set.names;
    std::vector<Piece> pieces;
    for (const Session &s : set.sessions) {
        if (!selection.Wanted(s)) continue;
        const std::int64_t rank = n.Rank(Dimension::application, s.application);
        ForEachPeriod(period, std::max(s.start, selection.begin()),
                      std::min(EffectiveEnd(s), selection.end()),
                      [&](std::int64_t start, std::int64_t from, std::int64_t to) {
                          pieces.push_back({rank, start, PairOf(s), from, to});
                      });
    }
    std::sort(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) {
        return std::tie(a.application, a.period) < std::tie(b.application, b.period);
    });
    std::unordered_map<std::int64_t, std::string> applicationNames;
    for (const Session &s : set.sessions)
        applicationNames.emplace(n.Rank(Dimension::application, s.application),
                                 n.Name(Dimension::application, s.application));

    struct Change {
        std::int64_t at;
        int delta;  // -1 before +1 at one instant: an end and a start there do not meet
        std::int64_t pair;
    };
    std::vector<PeakRow> rows;
    std::vector<Change> changes;
    std::unordered_map<std::int64_t, int> openOf;  // by pair
    for (std::size_t first = 0; first < pieces.size();) {
        std::size_t last = first;
        changes.clear();
        for (; last < pieces.size() && pieces[last].application == pieces[first].application &&
               pieces[last].period == pieces[first].period;
             ++last) {
            changes.push_back({pieces[last].from, +1, pieces[last].pair});
            changes.push_back({pieces[last].to, -1, pieces[last].pair});
        }
        std::sort(changes.begin(), changes.end(), [](const Change &a, const Change &b) {
            return std::tie(a.at, a.delta) < std::tie(b.at, b.delta);
        });
        openOf.clear();
        std::int64_t pairs = 0, peak = 0, peakAt = 0;
        for (std::size_t i = 0; i < changes.size();) {
            const std::int64_t at = changes[i].at;
            for (; i < changes.size() && changes[i].at == at; ++i) {
                int &open = openOf[changes[i].pair];
                if (changes[i].delta > 0 && open++ == 0) ++pairs;
                if (changes[i].delta < 0 && --open == 0) --pairs;
            }
            if (pairs > peak) {
                peak = pairs;
                peakAt = at;
            }
        }
        rows.push_back(
            {applicationNames.at(pieces[first].application), pieces[first].period, peak, peakAt});
        first = last;
    }
    return rows;
}

}  // namespace plvreport
