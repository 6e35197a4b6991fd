#include "application_names.h"

#include <algorithm>
#include <map>

#include "definitions.h"
#include "host_system.h"
#include "platform/ascii.h"
#include "report_input.h"

namespace plvreport {

std::string_view ProgramFileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

const DefinedName *ApplicationNames::DefinitionOf(std::string_view fileName) const {
    for (const DefinedName &d : definitions_)
        if (!d.fileName.empty() && plv::EqualNoCase(d.fileName, fileName)) return &d;
    return nullptr;
}

std::string ApplicationNames::NameOf(std::string_view programPath) const {
    const DefinedName *d = DefinitionOf(ProgramFileName(programPath));
    return d != nullptr ? d->name : std::string(programPath);
}

bool ApplicationNames::Knows(std::string_view fileName) const {
    return DefinitionOf(fileName) != nullptr;
}

ApplicationNames ReadApplicationNames(const std::string &path) {
    plvagent::Problems problems;
    const plvagent::DefinitionList list = plvagent::ReadDefinitions(
        plvagent::host::AgentPathOf(plvagent::host::AbsolutePath(path)), path, problems);
    if (!problems.empty()) {
        std::vector<std::string> texts;
        for (const plvagent::Problem &problem : problems) texts.push_back(plvagent::Describe(problem));
        ThrowProblems(texts);
    }
    std::vector<DefinedName> definitions;
    for (const PLVAppDefinition &node : list.nodes())
        definitions.push_back({plvagent::DefinitionName(node), node.fileName});
    return ApplicationNames(std::move(definitions));
}

void RenameApplications(SessionSet &set,
                        const std::function<std::string(const std::string &)> &nameOf) {
    std::int64_t firstNew = 1;
    for (const Session &s : set.sessions) firstNew = std::max(firstNew, s.application + 1);
    // New numbers above every old one: the book keeps both.
    std::map<std::string, std::int64_t> idOfName;
    std::map<std::int64_t, std::int64_t> newIdOf;  // 0: left out
    std::vector<NamedId> named;
    for (Session &s : set.sessions) {
        auto [known, added] = newIdOf.emplace(s.application, 0);
        if (added) {
            const std::string name = nameOf(set.names.Name(Dimension::application, s.application));
            if (name.empty()) {
                s.application = 0;
                continue;
            }
            const std::int64_t next = firstNew + static_cast<std::int64_t>(idOfName.size());
            auto [entry, isNew] = idOfName.emplace(name, next);
            if (isNew) named.push_back({entry->second, name});
            known->second = entry->second;
        }
        s.application = known->second;
    }
    std::erase_if(set.sessions, [](const Session &s) { return s.application == 0; });
    set.names.Add(Dimension::application, std::move(named));
}

}  // namespace plvreport
