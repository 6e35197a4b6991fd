// What the host does between the library's cycles, beside counting them:
// a reload asked for, the events that wait for their logs (tried again,
// reported, kept in the spool), and, at the stop, the spool of what is
// still pending. Its spool makes the pending list outlive the process.
#pragma once

#include <optional>
#include <string>

#include "configuration.h"
#include "event_backlog.h"
#include "event_spool.h"
#include "host_records.h"

namespace plvagent {

class AgentUpkeep {
  public:
    // configurationFile: the file to re-read on a reload; none for the
    // built-in configuration.
    AgentUpkeep(const AgentConfiguration &running, std::optional<std::string> configurationFile,
                HostRecords &records, const std::string &spoolPath);

    // Once the library has started, before metering does: the events a
    // previous run left in the spool go back on the pending list.
    void PutBackSpooledEvents();
    // A network failure the library reported in the cycle just run.
    void NoteNetworkFailure() { backlog_.NoteNetworkFailure(); }
    // After each cycle.
    void AfterCycle();
    // At the stop, before the library's lists are released.
    void AtStop();

  private:
    void Reload();
    void KeepSpool();

    const AgentConfiguration &running_;
    std::optional<std::string> configurationFile_;
    HostRecords &records_;
    EventSpool spool_;
    BacklogWatch backlog_;
    std::string dataDirectory_;  // as the agent started with them
    std::string runtimeDirectory_;
    bool spoolFailureReported_ = false;
};

}  // namespace plvagent
