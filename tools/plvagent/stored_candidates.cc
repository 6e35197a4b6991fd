#include "stored_candidates.h"

#include <algorithm>
#include <unordered_map>

#include "log_time.h"
#include "store.h"

namespace plvagent {

std::optional<std::vector<Candidate>> StoredCandidates(const std::string &location, std::string *why) {
    try {
        const auto store = plvreport::OpenStore(location, plvreport::StoreUse::report);
        std::unordered_map<std::int64_t, std::string> workstations, users;
        for (plvreport::NamedId &n : store->Names(plvreport::Dimension::workstation)) workstations[n.id] = std::move(n.name);
        for (plvreport::NamedId &n : store->Names(plvreport::Dimension::user)) users[n.id] = std::move(n.name);
        std::vector<std::pair<std::int64_t, Candidate>> rows;
        store->ScanDefinitions([&](const plvreport::DefinitionRow &row) {
            const std::string instant = plv::logs::InstantText(row.recordedAt);  // YYYY-MM-DD HH:MM:SS
            RecordedDefinition r;
            r.date = instant.substr(0, 4) + instant.substr(5, 2) + instant.substr(8, 2);
            r.time = instant.substr(11);
            r.workstation = workstations.at(row.workstation);
            r.user = users.at(row.user);
            r.fileName = row.fileName;
            r.product = row.product;
            r.company = row.company;
            rows.push_back({row.recordedAt, {location, std::move(r)}});
        });
        // The first recorded of a program names its definition, whatever order the engine gives.
        std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
            return std::tie(a.first, a.second.recorded.workstation, a.second.recorded.fileName) <
                   std::tie(b.first, b.second.recorded.workstation, b.second.recorded.fileName);
        });
        std::vector<Candidate> candidates;
        for (auto &row : rows) candidates.push_back(std::move(row.second));
        return candidates;
    } catch (const plvreport::StoreError &error) {
        *why = error.what();
        return std::nullopt;
    }
}

}  // namespace plvagent
