// plvreport's commands, as main reads them from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report_filter.h"
#include "row_output.h"
#include "session_reports.h"

namespace plvreport {

// Exit statuses.
inline constexpr int kSucceeded = 0;
inline constexpr int kSkipped = 1;     // done, but something could not be read whole
inline constexpr int kUsageError = 2;  // the command line
inline constexpr int kFailed = 3;      // the database, or writing the report

int ImportCommand(const std::string &database, const std::vector<std::string> &paths);

enum class Report { sessions, usage, peaks };

struct ReportCommand {
    Report report = Report::sessions;
    UsageKey usageKey = UsageKey::application;
    ReportFilter filter;
    plv::logs::RowFormat format = plv::logs::RowFormat::csv;
};

int RunReport(const std::string &database, const ReportCommand &command);

}  // namespace plvreport
