#include "licences.h"

#include <algorithm>
#include <map>
#include <set>

#include "application_names.h"
#include "host_system.h"
#include "ini_file.h"
#include "log_time.h"
#include "peaks.h"
#include "platform/ascii.h"
#include "report_input.h"
#include "values.h"

namespace plvreport {

std::vector<LicenceCount> ReadLicences(const std::string &path) {
    using namespace plvagent;
    Problems problems;
    std::vector<LicenceCount> licences;
    const std::optional<IniFile> file =
        IniFile::Open(host::AgentPathOf(host::AbsolutePath(path)), path, problems);
    if (file) {
        for (const IniSection &section : file->sections()) {
            if (!SameName(section.name, "Licences")) {
                problems.push_back(file->At(section, "the only section read is [Licences]"));
                continue;
            }
            for (const IniKey &key : section.keys) {
                const std::optional<std::string> value = file->Value(section, key, problems);
                if (!value) continue;
                std::string why;
                if (const auto count = ParseNumber(*value, 0, 0xFFFFFFFF, &why)) {
                    licences.push_back({key.name, *count});
                } else {
                    problems.push_back(file->At(key, "a licence count: " + why));
                }
            }
        }
        if (!file->Find("Licences")) problems.push_back({path, 0, {}, "has no [Licences] section"});
    }
    if (!problems.empty()) {
        std::vector<std::string> texts;
        for (const Problem &problem : problems) texts.push_back(Describe(problem));
        ThrowProblems(texts);
    }
    return licences;
}

const LicenceCount *LicenceOf(const std::vector<LicenceCount> &licences,
                              const std::string &application) {
    for (const LicenceCount &l : licences)
        if (plv::EqualNoCase(l.name, application) ||
            plv::EqualNoCase(l.name, ProgramFileName(application)))
            return &l;
    return nullptr;
}

std::vector<plv::logs::Column> LicenceColumns() {
    return {{"application"}, {"period"}, {"licences", true}, {"peak", true}, {"at"}, {"over"}};
}

void WriteLicences(const SessionSet &set, const ReportFilter &filter, Period period,
                   const std::vector<LicenceCount> &licences, plv::logs::RowWriter &out) {
    std::set<std::int64_t> periods;
    if (filter.from && filter.to) {
        ForEachPeriod(period, *filter.from, *filter.to + plv::logs::kSecondsPerDay,
                      [&](std::int64_t start, std::int64_t, std::int64_t) { periods.insert(start); });
    } else {
        for (const PeakRow &row : PeakConcurrency(set, filter, period)) periods.insert(row.period);
    }
    SessionSet licensed = set;
    RenameApplications(licensed, [&](const std::string &application) {
        const LicenceCount *licence = LicenceOf(licences, application);
        return licence != nullptr ? licence->name : std::string();
    });
    std::map<std::pair<std::string, std::int64_t>, const PeakRow *> peakOf;
    const std::vector<PeakRow> peaks = PeakConcurrency(licensed, filter, period);
    for (const PeakRow &row : peaks) peakOf[{row.application, row.period}] = &row;

    std::vector<const LicenceCount *> ordered;
    for (const LicenceCount &l : licences) ordered.push_back(&l);
    std::sort(ordered.begin(), ordered.end(),
              [](const LicenceCount *a, const LicenceCount *b) { return a->name < b->name; });
    for (const LicenceCount *licence : ordered) {
        for (const std::int64_t start : periods) {
            const auto found = peakOf.find({licence->name, start});
            const PeakRow *peak = found != peakOf.end() ? found->second : nullptr;
            const std::int64_t most = peak != nullptr ? peak->peak : 0;
            const std::string at = peak != nullptr ? plv::logs::InstantText(peak->at) : "";
            const std::string count = std::to_string(licence->count), mostText = std::to_string(most);
            const std::string period_ = PeriodText(period, start);
            out.Row({licence->name, period_, count, mostText, at, most > licence->count ? "yes" : "no"});
        }
    }
}

}  // namespace plvreport
