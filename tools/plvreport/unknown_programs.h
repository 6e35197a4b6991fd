// The programs no definition knows, from the imported definition lines,
// ranked by how widely they run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "application_names.h"
#include "report_filter.h"
#include "row_output.h"
#include "store.h"

namespace plvreport {

struct UnknownProgram {
    std::string file, product, company;
    std::int64_t workstations = 0, users = 0, days = 0;
    std::int64_t first = 0, last = 0;  // recorded
};

// One a program file name (any case: its first spelling in byte order) that
// no definition of known names, from the lines recorded within the period
// on the workstations and by the users wanted. Users are workstation and
// user pairs; days, those with a line; product and company, the most
// recorded (the first in byte order on a tie). By workstations, then users,
// both descending, then by file name.
std::vector<UnknownProgram> UnknownPrograms(Store &store, const NameBook &names,
                                            const ApplicationNames &known,
                                            const ReportFilter &filter);

// file,product,company,workstations,users,days,first,last
std::vector<plv::logs::Column> UnknownColumns();
void WriteUnknown(const std::vector<UnknownProgram> &programs, plv::logs::RowWriter &out);

}  // namespace plvreport
