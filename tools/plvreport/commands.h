// plvreport's commands, as main reads them from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "periods.h"
#include "report_filter.h"
#include "row_output.h"
#include "session_reports.h"

namespace plvreport {

// Exit statuses.
inline constexpr int kSucceeded = 0;
inline constexpr int kSkipped = 1;     // done, but something could not be read whole
inline constexpr int kUsageError = 2;  // the command line, or a file it names
inline constexpr int kFailed = 3;      // the database, or writing the report

int ImportCommand(const std::string &database, const std::vector<std::string> &paths);

enum class Report { sessions, usage, peaks, licences, unknown, workstations, html };

struct ReportCommand {
    Report report = Report::sessions;
    UsageKey usageKey = UsageKey::application;
    Period period = Period::month;  // of the licence report
    ReportFilter filter;
    std::optional<std::string> definitionsFile;  // applications under their definitions' names
    std::optional<std::string> licencesFile;
    std::string output;  // the HTML report's file
    plv::logs::RowFormat format = plv::logs::RowFormat::csv;
};

int RunReport(const std::string &database, const ReportCommand &command);

}  // namespace plvreport
