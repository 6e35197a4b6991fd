#include "sessions.h"

#include <algorithm>
#include <tuple>

namespace plvreport {
namespace {

// The start a "Terminated" names may be this much later than the
// "Initiated" stamp: the two are read from the clock one after the other.
constexpr std::int64_t kStartSlack = 2;

struct AppEvent {
    std::int64_t at;
    std::optional<std::int64_t> startAt;
    std::int64_t workstation, user, context, application;
    bool initiated;
    std::int64_t fileRank;
    std::uint64_t offset;
};

struct OpenSession {
    std::int64_t context;
    std::int64_t start;
    std::size_t index;  // in the session list
};

std::size_t IndexOf(Dimension dimension) { return static_cast<std::size_t>(dimension); }

// The open session a "Terminated" closes, or none.
std::vector<OpenSession>::iterator SessionClosedBy(const AppEvent &end,
                                                   std::vector<OpenSession> &open) {
    const auto none = open.end();
    if (!end.startAt) {
        // The latest one opened, whatever its context.
        auto latest = none;
        for (auto s = open.begin(); s != open.end(); ++s)
            if (latest == none || s->start >= latest->start) latest = s;
        return latest;
    }
    const std::int64_t named = *end.startAt;
    auto named_match = none, later = none;
    for (auto s = open.begin(); s != open.end(); ++s) {
        if (s->context != end.context) continue;
        if (s->start <= named && named <= s->start + kStartSlack &&
            (named_match == none || s->start > named_match->start))
            named_match = s;
        if (s->start >= named && (later == none || s->start >= later->start)) later = s;
    }
    return named_match != none ? named_match : later;
}

}  // namespace

void NameBook::Add(Dimension dimension, std::vector<NamedId> names) {
    std::sort(names.begin(), names.end(),
              [](const NamedId &a, const NamedId &b) { return a.name < b.name; });
    auto &entries = entries_[IndexOf(dimension)];
    for (std::size_t i = 0; i < names.size(); ++i)
        entries[names[i].id] = Entry{std::move(names[i].name), static_cast<std::int64_t>(i)};
}

const std::string &NameBook::Name(Dimension dimension, std::int64_t id) const {
    return entries_[IndexOf(dimension)].at(id).name;
}

std::int64_t NameBook::Rank(Dimension dimension, std::int64_t id) const {
    return entries_[IndexOf(dimension)].at(id).rank;
}

SessionSet BuildSessions(Store &store) {
    SessionSet set;
    for (const Dimension d :
         {Dimension::workstation, Dimension::user, Dimension::context, Dimension::application})
        set.names.Add(d, store.Names(d));
    // Events of one instant are taken in the order of their files' paths and
    // of their places in them, as an engine gives them or not.
    std::vector<NamedId> files = store.Files();
    std::sort(files.begin(), files.end(),
              [](const NamedId &a, const NamedId &b) { return a.name < b.name; });
    std::unordered_map<std::int64_t, std::int64_t> fileRank;
    for (std::size_t i = 0; i < files.size(); ++i)
        fileRank[files[i].id] = static_cast<std::int64_t>(i);

    std::vector<AppEvent> events;
    std::unordered_map<std::int64_t, std::int64_t> lastEventOf;  // by workstation
    store.ScanEvents([&](const EventRow &row) {
        auto [last, added] = lastEventOf.emplace(row.workstation, row.at);
        if (!added) last->second = std::max(last->second, row.at);
        if (row.kind != EventKind::initiated && row.kind != EventKind::terminated) return;
        events.push_back({row.at, row.startAt, row.workstation, row.user, row.context,
                          row.application, row.kind == EventKind::initiated,
                          fileRank.at(row.fileId), row.offset});
    });
    const auto group = [](const AppEvent &e) {
        return std::tie(e.workstation, e.user, e.application);
    };
    std::sort(events.begin(), events.end(), [&](const AppEvent &a, const AppEvent &b) {
        return std::tie(a.workstation, a.user, a.application, a.at, a.fileRank, a.offset) <
               std::tie(b.workstation, b.user, b.application, b.at, b.fileRank, b.offset);
    });

    std::vector<OpenSession> open;
    for (std::size_t first = 0; first < events.size();) {
        std::size_t last = first;
        while (last < events.size() && group(events[last]) == group(events[first])) ++last;
        open.clear();
        for (std::size_t i = first; i < last; ++i) {
            const AppEvent &e = events[i];
            if (e.initiated) {
                open.push_back({e.context, e.at, set.sessions.size()});
                set.sessions.push_back(
                    {e.workstation, e.user, e.context, e.application, e.at, e.at, false});
                continue;
            }
            const auto closed = SessionClosedBy(e, open);
            if (closed == open.end()) continue;  // its start is in no file imported
            set.sessions[closed->index].end = std::max(e.at, closed->start);
            open.erase(closed);
        }
        for (const OpenSession &s : open) {
            Session &session = set.sessions[s.index];
            session.end = lastEventOf.at(session.workstation);
            session.open = true;
        }
        first = last;
    }
    return set;
}

}  // namespace plvreport
