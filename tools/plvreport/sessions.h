// Sessions: an application's use from its "Initiated" event to the
// "Terminated" event that closes it, on one workstation for one user.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "store.h"

namespace plvreport {

struct Session {
    std::int64_t workstation = 0, user = 0, context = 0, application = 0;  // the store's numbers
    std::int64_t start = 0, end = 0;  // seconds (log_time.h); end >= start
    bool open = false;                // no "Terminated" closed it
};

// The names behind the store's numbers, with their order: reports order
// texts by their bytes, whatever order an engine would give.
class NameBook {
  public:
    void Add(Dimension dimension, std::vector<NamedId> names);
    const std::string &Name(Dimension dimension, std::int64_t id) const;
    // The place of the name among the dimension's names in byte order.
    std::int64_t Rank(Dimension dimension, std::int64_t id) const;

  private:
    struct Entry {
        std::string name;
        std::int64_t rank = 0;
    };
    std::unordered_map<std::int64_t, Entry> entries_[4];
};

struct SessionSet {
    std::vector<Session> sessions;
    NameBook names;
};

// Pairs the events of the store. A "Terminated" closes the open session of
// its workstation, user, context and application whose start it names (up
// to 2 seconds after the "Initiated"), else the latest one begun at or after
// the start it names; one without a start (an application renamed under its
// process) closes the latest open session of its workstation, user and
// application. A session never closed ends at the last event of its
// workstation.
SessionSet BuildSessions(Store &store);

}  // namespace plvreport
