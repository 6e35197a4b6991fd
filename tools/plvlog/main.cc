// plvlog: prints the usage events of log files, one line each.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "log_printing.h"
#include "log_time.h"

namespace {

constexpr int kIncomplete = 1;  // something skipped, or not written
constexpr int kUsageError = 2;

std::optional<std::int64_t> Day(const std::optional<std::string> &text) {
    if (!text) return std::nullopt;
    return plv::logs::DayStart(*text);
}

}  // namespace

int main(int argc, char **argv) {
    CLI::App app{"Print the usage events of the agent's log files (YYYYMMDD.LOG)"};
    app.set_version_flag("--version", "plvlog " PLVLOG_VERSION);
    std::vector<std::string> paths;
    bool showHeader = false;
    std::string format = "plain";
    std::optional<std::string> from, to;
    app.add_option("paths", paths,
                   "Log files, or directories whose .LOG files are read in date order")
        ->required();
    app.add_flag("--header", showHeader, "Print each file's header text first (plain format)");
    app.add_option("--format", format, "plain (the lines as logged), csv or json")
        ->check(CLI::IsMember({"plain", "csv", "json"}));
    app.add_option("--from", from, "Only events of this day (YYYY-MM-DD) and after");
    app.add_option("--to", to, "Only events of this day (YYYY-MM-DD) and before");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kUsageError;
    }

    plv::logs::PrintOptions options;
    options.format = format == "csv"    ? plv::logs::LogFormat::csv
                     : format == "json" ? plv::logs::LogFormat::json
                                        : plv::logs::LogFormat::plain;
    options.headers = showHeader;
    options.from = Day(from);
    options.to = Day(to);
    const auto usage = [](const char *message) {
        std::fprintf(stderr, "%s\nRun with --help for more information.\n", message);
        return kUsageError;
    };
    if ((from && !options.from) || (to && !options.to))
        return usage("--from and --to take a day, YYYY-MM-DD");
    if (showHeader && options.format != plv::logs::LogFormat::plain)
        return usage("--header goes with the plain format only");
    const auto result = plv::logs::PrintLogs(paths, options, stdout, stderr);
    if (result == plv::logs::PrintResult::notWritten)
        std::fprintf(stderr, "plvlog: the output could not be written whole\n");
    return result == plv::logs::PrintResult::whole ? 0 : kIncomplete;
}
