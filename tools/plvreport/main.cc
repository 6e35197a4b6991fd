// plvreport: the administrator's reports over the agents' log files,
// imported into a database.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands.h"
#include "log_time.h"

namespace {

using plvreport::Report;

struct ReportOptions {
    std::optional<std::string> from, to, format;
    std::string by = "application";
    std::string period = "month";
};

void AddReportOptions(CLI::App &command, ReportOptions &options,
                      plvreport::ReportCommand &report) {
    plvreport::ReportFilter &filter = report.filter;
    command.add_option("--definitions", report.definitionsFile,
                       "The agent's definitions file: applications under their definitions' names");
    command.add_option("--from", options.from,
                       "Only sessions in use on this day (YYYY-MM-DD) or later");
    command.add_option("--to", options.to,
                       "Only sessions in use on this day (YYYY-MM-DD) or earlier");
    command.add_option("--application", filter.applications,
                       "Only this application, its name as reported (repeatable)");
    command.add_option("--user", filter.users, "Only this user (repeatable)");
    command.add_option("--workstation", filter.workstations, "Only this workstation (repeatable)");
    command
        .add_option("--format", options.format,
                    "table, csv or json (default: table on a terminal, else csv)")
        ->check(CLI::IsMember({"table", "csv", "json"}));
}

int Usage(const std::string &message) {
    std::fprintf(stderr, "%s\nRun with --help for more information.\n", message.c_str());
    return plvreport::kUsageError;
}

}  // namespace

int main(int argc, char **argv) {
    CLI::App app{"plvreport: usage reports over the agents' log files, imported into a database"};
    app.set_version_flag("--version", "plvreport " PLVREPORT_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    std::string database = "plvreport.db";
    app.add_option("--db", database,
                   "The database: an SQLite file (default: plvreport.db here) or a "
                   "postgresql:// URI");

    std::vector<std::string> paths;
    CLI::App *import = app.add_subcommand("import",
                                          "Read LOGS directories or .LOG and .DEF files into the "
                                          "database, each from where the last import stopped");
    import
        ->add_option("paths", paths, "A LOGS directory, or log (.LOG) and definition (.DEF) files")
        ->required();

    plvreport::ReportCommand command;
    ReportOptions options;
    CLI::App *sessions = app.add_subcommand(
        "sessions",
        "One row a session: workstation,user,context,application,start,end,seconds,state");
    CLI::App *usage = app.add_subcommand(
        "usage",
        "Sessions, users, workstations and seconds: key,sessions,users,workstations,seconds");
    CLI::App *peaks = app.add_subcommand(
        "peaks", "The most users at once, per application and day: application,day,peak,at");
    CLI::App *licences = app.add_subcommand(
        "licences", "The peak of each licensed application against its licence count: "
                    "application,period,licences,peak,at,over");
    CLI::App *unknown = app.add_subcommand(
        "unknown", "The programs no definition knows, the most widely run first: "
                   "file,product,company,workstations,users,days,first,last");
    CLI::App *workstations = app.add_subcommand(
        "workstations",
        "What each agent reported: workstation,first,last,events,sessions,failures");
    CLI::App *html = app.add_subcommand(
        "html", "One self-contained page of charts and tables for the period, to look at offline");
    for (CLI::App *report : {sessions, usage, peaks, licences, unknown, workstations, html})
        AddReportOptions(*report, options, command);
    html->add_option("--output", command.output, "The page to write")->required();
    html->add_option("--licences", command.licencesFile,
                     "The licence counts, drawn against the peaks");
    licences
        ->add_option("--licences", command.licencesFile,
                     "The licence counts: a [Licences] section of name = count lines")
        ->required();
    licences->add_option("--by", options.period, "day or month (default)")
        ->check(CLI::IsMember({"day", "month"}));
    usage->add_option("--by", options.by, "application (default), user, workstation or day")
        ->check(CLI::IsMember({"application", "user", "workstation", "day"}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        const int status = app.exit(error);
        return status == 0 ? plvreport::kSucceeded : plvreport::kUsageError;
    }
    if (import->parsed()) return plvreport::ImportCommand(database, paths);

    command.report = sessions->parsed()       ? Report::sessions
                     : usage->parsed()        ? Report::usage
                     : peaks->parsed()        ? Report::peaks
                     : licences->parsed()     ? Report::licences
                     : unknown->parsed()      ? Report::unknown
                     : html->parsed()         ? Report::html
                                              : Report::workstations;
    command.period = options.period == "day" ? plvreport::Period::day : plvreport::Period::month;
    command.usageKey = options.by == "user"          ? plvreport::UsageKey::user
                       : options.by == "workstation" ? plvreport::UsageKey::workstation
                       : options.by == "day"         ? plvreport::UsageKey::day
                                                     : plvreport::UsageKey::application;
    command.filter.from = options.from ? plv::logs::DayStart(*options.from) : std::nullopt;
    command.filter.to = options.to ? plv::logs::DayStart(*options.to) : std::nullopt;
    if ((options.from && !command.filter.from) || (options.to && !command.filter.to))
        return Usage("--from and --to take a day, YYYY-MM-DD");
    const std::string format = options.format.value_or(isatty(STDOUT_FILENO) ? "table" : "csv");
    command.format = *plv::logs::RowFormatNamed(format);
    return plvreport::RunReport(database, command);
}
