#include "host_records.h"

#include "fixed_text.h"

namespace plvagent {

TextList::TextList(std::vector<std::string> texts) : texts_(std::move(texts)), nodes_(texts_.size()) {
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        nodes_[i].next = i + 1 < nodes_.size() ? &nodes_[i + 1] : nullptr;
        nodes_[i].text = texts_[i].c_str();
    }
}

// The SMS settings and the refresh action are the library's to read from
// the settings file; the network module and the clock file are opened when
// the agent runs.
HostLists::HostLists(const AgentConfiguration &c, DefinitionList definitions)
    : definitions(std::move(definitions)),
      ignoredPrograms(c.ignoredPrograms),
      ignoredClasses(c.ignoredClasses),
      ignoredDosPrograms(c.ignoredDosPrograms),
      ignored16BitPrograms(c.ignored16BitPrograms) {}

HostRecords::HostRecords(const AgentConfiguration &c, DefinitionList definitions)
    : agentDirectory_(c.agentDirectory) {
    ReplaceLists(c, std::move(definitions));
    runtime_.networkKind = c.networkKind;
    PutText(runtime_.workstationName, c.workstation);
    PutText(runtime_.userName, c.user);
    PutText(runtime_.userContext, c.userContext);
    PutText(runtime_.homePath, c.homePath);
    PutText(runtime_.settingsFilePath, c.settingsFile);
    PutText(runtime_.timeServerName, c.timeServer);
    runtime_.netWareConnection = c.netWareConnection;

    agent_.runtime = &runtime_;
    agent_.agentDirectory = agentDirectory_.c_str();
    agent_.updateInterval = c.updateInterval;
    PutText(agent_.logHeaderText, c.logHeader);
    agent_.agentNumber = c.agentNumber;
    agent_.updateCountdown = c.updateCountdown;
    agent_.closeRetryCount = c.closeRetryCount;
    agent_.optionFlags = c.optionFlags;
}

void HostRecords::ReplaceLists(const AgentConfiguration &c, DefinitionList definitions) {
    lists_.push_back(std::make_unique<HostLists>(c, std::move(definitions)));
    HostLists &lists = *lists_.back();
    runtime_.definitions = lists.definitions.head();
    runtime_.ignoredPrograms = lists.ignoredPrograms.head();
    runtime_.ignoredClasses = lists.ignoredClasses.head();
    runtime_.ignoredDosPrograms = lists.ignoredDosPrograms.head();
    runtime_.ignored16BitPrograms = lists.ignored16BitPrograms.head();
}

}  // namespace plvagent
