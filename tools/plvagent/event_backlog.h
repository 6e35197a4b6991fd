// Events that wait for their logs. The library writes pending events in
// each cycle, but tries the shared log only for a few cycles after an
// event is built; the host builds a throw-away event after each cycle that
// left events waiting, so that the backlog is tried on every cycle until
// the share answers. Meanwhile the host says so: the first failed write and
// its error, how many events it holds whenever that changes, the recovery,
// and a network the library found lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "messages.h"

namespace plvagent {

struct Report {
    Priority priority;
    std::string text;
};

class BacklogWatch {
  public:
    // share: the home path the logs are under, which holds until a restart.
    explicit BacklogWatch(std::string share) : share_(std::move(share)) {}

    // A network failure the library reported in the cycle just run.
    void NoteNetworkFailure() { networkFailed_ = true; }
    // After a cycle: the events still waiting and the library's last file
    // error. What to tell the administrator.
    std::vector<Report> AfterCycle(std::size_t held, std::int32_t fileError);

  private:
    const std::string share_;
    std::size_t held_ = 0;
    bool networkFailed_ = false;
    bool networkReported_ = false;
};

// The events on the pending list that still want a log.
std::size_t HeldEvents(void *pendingHead);

// Arms the library's shared-log attempts again, as building an event does.
void RetrySharedLog();

}  // namespace plvagent
