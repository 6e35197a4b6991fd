// Licence compliance: the peak concurrency of each licensed application
// against its licence count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "periods.h"
#include "report_filter.h"
#include "row_output.h"
#include "sessions.h"

namespace plvreport {

struct LicenceCount {
    std::string name;  // a definition name or a program file name
    std::int64_t count = 0;
};

// The section [Licences] of `name = count` lines of an initialisation file.
std::vector<LicenceCount> ReadLicences(const std::string &path);

// application,period,licences,peak,at,over: one row for each licence and
// period, by the licence's name in byte order, then by period. A licence
// counts the sessions of every application whose name, or program file
// name, is its name (any case). The periods are those from --from to --to
// when both are given, else those any session touches; a period without use
// has peak 0 and no instant. over: yes when the peak exceeds the count.
std::vector<plv::logs::Column> LicenceColumns();
void WriteLicences(const SessionSet &set, const ReportFilter &filter, Period period,
                   const std::vector<LicenceCount> &licences, plv::logs::RowWriter &out);

// The licence whose name the application's name or file name is; null when none.
const LicenceCount *LicenceOf(const std::vector<LicenceCount> &licences,
                              const std::string &application);

}  // namespace plvreport
