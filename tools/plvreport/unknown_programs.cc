#include "unknown_programs.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "log_time.h"
#include "platform/ascii.h"

namespace plvreport {
namespace {

bool Wanted(const std::vector<std::string> &wanted, const std::string &name) {
    return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end();
}

// The most counted text, the first in byte order on a tie.
std::string MostCounted(const std::map<std::string, std::int64_t> &counts) {
    const auto most = std::max_element(counts.begin(), counts.end(), [](const auto &a, const auto &b) {
        return a.second < b.second;
    });
    return most != counts.end() ? most->first : std::string();
}

}  // namespace

std::vector<UnknownProgram> UnknownPrograms(Store &store, const NameBook &names,
                                            const ApplicationNames &known,
                                            const ReportFilter &filter) {
    struct Seen {
        std::set<std::string> spellings;
        std::map<std::string, std::int64_t> products, companies;
        std::set<std::int64_t> workstations, days;
        std::set<std::pair<std::int64_t, std::int64_t>> users;
        std::int64_t first = 0, last = 0;
    };
    const std::int64_t begin = filter.from.value_or(SessionSelection::kEarliest);
    const std::int64_t end =
        filter.to ? *filter.to + plv::logs::kSecondsPerDay : SessionSelection::kLatest;
    std::map<std::string, Seen> byFile;  // by the folded file name
    store.ScanDefinitions([&](const DefinitionRow &row) {
        if (row.fileName.empty() || row.recordedAt < begin || row.recordedAt >= end) return;
        if (!Wanted(filter.workstations, names.Name(Dimension::workstation, row.workstation)) ||
            !Wanted(filter.users, names.Name(Dimension::user, row.user)) || known.Knows(row.fileName))
            return;
        auto [entry, added] = byFile.try_emplace(plv::UpperAsciiText(row.fileName));
        Seen &seen = entry->second;
        seen.spellings.insert(row.fileName);
        if (!row.product.empty()) ++seen.products[row.product];
        if (!row.company.empty()) ++seen.companies[row.company];
        seen.workstations.insert(row.workstation);
        seen.users.insert({row.workstation, row.user});
        seen.days.insert(plv::logs::DayOf(row.recordedAt));
        seen.first = added ? row.recordedAt : std::min(seen.first, row.recordedAt);
        seen.last = added ? row.recordedAt : std::max(seen.last, row.recordedAt);
    });
    std::vector<UnknownProgram> programs;
    for (const auto &[folded, seen] : byFile)
        programs.push_back({*seen.spellings.begin(), MostCounted(seen.products),
                            MostCounted(seen.companies),
                            static_cast<std::int64_t>(seen.workstations.size()),
                            static_cast<std::int64_t>(seen.users.size()),
                            static_cast<std::int64_t>(seen.days.size()), seen.first, seen.last});
    std::sort(programs.begin(), programs.end(), [](const UnknownProgram &a, const UnknownProgram &b) {
        return std::tie(b.workstations, b.users, a.file) < std::tie(a.workstations, a.users, b.file);
    });
    return programs;
}

std::vector<plv::logs::Column> UnknownColumns() {
    return {{"file"},        {"product"},    {"company"}, {"workstations", true},
            {"users", true}, {"days", true}, {"first"},   {"last"}};
}

void WriteUnknown(const std::vector<UnknownProgram> &programs, plv::logs::RowWriter &out) {
    for (const UnknownProgram &p : programs) {
        const std::string workstations = std::to_string(p.workstations),
                          users = std::to_string(p.users), days = std::to_string(p.days),
                          first = plv::logs::InstantText(p.first),
                          last = plv::logs::InstantText(p.last);
        out.Row({p.file, p.product, p.company, workstations, users, days, first, last});
    }
}

}  // namespace plvreport
