// The report to look at: one self-contained HTML page, the chart library
// inline and the data in it, so that it shows offline.
#pragma once

#include <string>
#include <vector>

#include "application_names.h"
#include "licences.h"
#include "report_filter.h"
#include "sessions.h"
#include "store.h"

namespace plvreport {

// For the period: the peak concurrency of each application by day against
// its licence count, the seconds in use by hour of day and by day of week,
// the top applications and users, and the unknown programs. Throws
// InputError when the page cannot be written.
void WriteHtmlReport(Store &store, const SessionSet &set, const ApplicationNames &names,
                     const std::vector<LicenceCount> &licences, const ReportFilter &filter,
                     const std::string &output);

}  // namespace plvreport
