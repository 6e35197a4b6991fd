#include "commands.h"

#include <cstdio>

#include "application_names.h"
#include "html_report.h"
#include "import_progress.h"
#include "licences.h"
#include "report_input.h"
#include "unknown_programs.h"
#include "workstation_report.h"
#include "log_import.h"
#include "store.h"

namespace plvreport {

int ImportCommand(const std::string &database, const std::vector<std::string> &paths) {
    ImportSummary s;
    try {
        const auto store = OpenStore(database, StoreUse::import);
        ImportProgress progress(stderr);
        s = Import(*store, paths, progress);
    } catch (const StoreError &error) {
        std::fprintf(stderr, "plvreport: %s: %s\n", database.c_str(), error.what());
        return kFailed;
    }
    const auto n = [](std::uint64_t count) { return static_cast<unsigned long long>(count); };
    std::printf("files: %llu new, %llu grown, %llu read anew, %llu unchanged\n", n(s.newFiles),
                n(s.grownFiles), n(s.replacedFiles), n(s.unchangedFiles));
    std::printf("records: %llu (events: %llu, definition lines: %llu)\n",
                n(s.events + s.definitionLines), n(s.events), n(s.definitionLines));
    std::printf("skipped byte ranges: %llu (%llu bytes)\n", n(s.skippedRanges), n(s.skippedBytes));
    if (s.unfinishedFiles != 0)
        std::printf(
            "unfinished files: %llu (ending in part of a record or line, read again next time)\n",
            n(s.unfinishedFiles));
    if (s.unreadable != 0) std::printf("unreadable paths or files: %llu\n", n(s.unreadable));
    return s.skippedRanges != 0 || s.unreadable != 0 ? kSkipped : kSucceeded;
}

namespace {

std::vector<plv::logs::Column> ColumnsOf(Report report) {
    switch (report) {
        case Report::sessions:
            return SessionColumns();
        case Report::usage:
            return UsageColumns();
        case Report::peaks:
            return PeakColumns();
        case Report::licences:
            return LicenceColumns();
        case Report::unknown:
            return UnknownColumns();
        default:
            return WorkstationColumns();
    }
}

int WriteRows(Store &store, const SessionSet &set, const ApplicationNames &names,
              const std::vector<LicenceCount> &licences, const ReportCommand &command) {
    plv::logs::RowWriter out(stdout, command.format, ColumnsOf(command.report));
    switch (command.report) {
        case Report::sessions:
            WriteSessions(set, command.filter, out);
            break;
        case Report::usage:
            WriteUsage(set, command.filter, command.usageKey, out);
            break;
        case Report::peaks:
            WritePeaks(set, command.filter, out);
            break;
        case Report::licences:
            WriteLicences(set, command.filter, command.period, licences, out);
            break;
        case Report::unknown:
            WriteUnknown(UnknownPrograms(store, set.names, names, command.filter), out);
            break;
        default:
            WriteWorkstations(store, set, command.filter, out);
            break;
    }
    if (!out.Finish()) {
        std::fprintf(stderr, "plvreport: the report could not be written whole\n");
        return kFailed;
    }
    return kSucceeded;
}

}  // namespace

int RunReport(const std::string &database, const ReportCommand &command) {
    try {
        // The files named are read first: a mistake in one costs no scan.
        const ApplicationNames names = command.definitionsFile
                                           ? ReadApplicationNames(*command.definitionsFile)
                                           : ApplicationNames();
        const std::vector<LicenceCount> licences =
            command.licencesFile ? ReadLicences(*command.licencesFile) : std::vector<LicenceCount>();
        const auto store = OpenStore(database, StoreUse::report);
        SessionSet set = BuildSessions(*store);
        if (command.definitionsFile)
            RenameApplications(set, [&](const std::string &path) { return names.NameOf(path); });
        if (command.report == Report::html) {
            WriteHtmlReport(*store, set, names, licences, command.filter, command.output);
            return kSucceeded;
        }
        return WriteRows(*store, set, names, licences, command);
    } catch (const InputError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return kUsageError;
    } catch (const StoreError &error) {
        std::fprintf(stderr, "plvreport: %s: %s\n", database.c_str(), error.what());
        return kFailed;
    }
}

}  // namespace plvreport
