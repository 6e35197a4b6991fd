// The reports over sessions: each writes its rows, in a fixed order, to a
// writer made with its columns.
#pragma once

#include <vector>

#include "report_filter.h"
#include "row_output.h"
#include "sessions.h"

namespace plvreport {

// workstation,user,context,application,start,end,seconds,state
std::vector<plv::logs::Column> SessionColumns();
void WriteSessions(const SessionSet &set, const ReportFilter &filter, plv::logs::RowWriter &out);

enum class UsageKey { application, user, workstation, day };

// key,sessions,users,workstations,seconds; users are workstation and user
// pairs. Seconds count within the period; by day, a session counts on each
// day it touches with its seconds of that day.
std::vector<plv::logs::Column> UsageColumns();
void WriteUsage(const SessionSet &set, const ReportFilter &filter, UsageKey key,
                plv::logs::RowWriter &out);

// application,day,peak,at: the peak concurrency of each day (peaks.h).
std::vector<plv::logs::Column> PeakColumns();
void WritePeaks(const SessionSet &set, const ReportFilter &filter, plv::logs::RowWriter &out);

}  // namespace plvreport
