#include "commands.h"

#include <cstdio>

#include "import_progress.h"
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

int RunReport(const std::string &database, const ReportCommand &command) {
    try {
        const auto store = OpenStore(database, StoreUse::report);
        const SessionSet set = BuildSessions(*store);
        const auto columns = command.report == Report::sessions ? SessionColumns()
                             : command.report == Report::usage  ? UsageColumns()
                                                                : PeakColumns();
        plv::logs::RowWriter out(stdout, command.format, columns);
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
        }
        if (!out.Finish()) {
            std::fprintf(stderr, "plvreport: the report could not be written whole\n");
            return kFailed;
        }
    } catch (const StoreError &error) {
        std::fprintf(stderr, "plvreport: %s: %s\n", database.c_str(), error.what());
        return kFailed;
    }
    return kSucceeded;
}

}  // namespace plvreport
