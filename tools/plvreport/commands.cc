#include "commands.h"

#include <cstdio>

#include "import_progress.h"
#include "log_import.h"
#include "store.h"

namespace plvreport {

int ImportCommand(const std::string &database, const std::vector<std::string> &paths) {
    ImportSummary s;
    try {
        const auto store = OpenStore(database);
        ImportProgress progress(stderr);
        s = Import(*store, paths, progress);
    } catch (const StoreError &error) {
        std::fprintf(stderr, "plvreport: %s: %s\n", database.c_str(), error.what());
        return kFailed;
    }
    std::printf("files: %llu (%llu new, %llu grown, %llu read anew, %llu unchanged)\n",
                static_cast<unsigned long long>(s.files),
                static_cast<unsigned long long>(s.newFiles),
                static_cast<unsigned long long>(s.grownFiles),
                static_cast<unsigned long long>(s.replacedFiles),
                static_cast<unsigned long long>(s.unchangedFiles));
    std::printf("records: %llu (%llu events, %llu definition lines)\n",
                static_cast<unsigned long long>(s.events + s.definitionLines),
                static_cast<unsigned long long>(s.events),
                static_cast<unsigned long long>(s.definitionLines));
    std::printf("skipped: %llu byte ranges, %llu bytes\n",
                static_cast<unsigned long long>(s.skippedRanges),
                static_cast<unsigned long long>(s.skippedBytes));
    if (s.unfinishedFiles != 0)
        std::printf(
            "unfinished: %llu files end in part of a record or line, read again next time\n",
            static_cast<unsigned long long>(s.unfinishedFiles));
    if (s.unreadable != 0)
        std::printf("unreadable: %llu paths or files\n",
                    static_cast<unsigned long long>(s.unreadable));
    return s.skippedRanges != 0 || s.unreadable != 0 ? kSkipped : kSucceeded;
}

int RunReport(const std::string &database, const ReportCommand &command) {
    try {
        const auto store = OpenStore(database);
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
