// Peak concurrency: the most workstation and user pairs with a session of
// an application open at one instant of a period, and the first instant it
// is reached. A session is open from its start up to its end (at least a
// second), in every period it touches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "periods.h"
#include "report_filter.h"
#include "sessions.h"

namespace plvreport {

struct PeakRow {
    std::string application;
    std::int64_t period = 0;  // its first second
    std::int64_t peak = 0, at = 0;
};

// By application in byte order, then by period; only periods with use.
std::vector<PeakRow> PeakConcurrency(const SessionSet &set, const ReportFilter &filter,
                                     Period period);

}  // namespace plvreport
