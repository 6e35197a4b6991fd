// Which agents report: each workstation's first and last event, so that one
// gone quiet shows.
#pragma once

#include <vector>

#include "report_filter.h"
#include "row_output.h"
#include "sessions.h"
#include "store.h"

namespace plvreport {

// workstation,first,last,events,sessions,failures: by workstation in byte
// order, of the events within the period (sessions: those begun within it;
// failures: the agent's own failure events). A workstation with no event in
// the period is left out.
std::vector<plv::logs::Column> WorkstationColumns();
void WriteWorkstations(Store &store, const SessionSet &set, const ReportFilter &filter,
                       plv::logs::RowWriter &out);

}  // namespace plvreport
