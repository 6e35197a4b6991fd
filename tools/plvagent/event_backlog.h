// Events that wait for their logs. The library writes pending events in
// each cycle, but tries the shared log only for a few cycles after an
// event is built; the host builds a throw-away event after each cycle that
// left events waiting, so that the backlog is tried on every cycle until
// the share answers. Meanwhile the host says so: the first failed write and
// its error, how many events it holds whenever that changes, the recovery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "messages.h"

namespace plvagent {

struct Report {
    Priority priority;
    std::string text;
};

class BacklogWatch {
  public:
    // After a cycle: the events still waiting and the library's last file
    // error. What to tell the administrator.
    std::vector<Report> AfterCycle(std::size_t held, std::int32_t fileError);

  private:
    std::size_t held_ = 0;
};

// The events on the pending list that still want a log.
std::size_t HeldEvents(void *pendingHead);

// Arms the library's shared-log attempts again, as building an event does.
void RetrySharedLog();

}  // namespace plvagent
