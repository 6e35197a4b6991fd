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
HostRecords::HostRecords(const AgentConfiguration &c, DefinitionList definitions)
    : agentDirectory_(c.agentDirectory),
      definitions_(std::move(definitions)),
      ignoredPrograms_(c.ignoredPrograms),
      ignoredClasses_(c.ignoredClasses),
      ignoredDosPrograms_(c.ignoredDosPrograms),
      ignored16BitPrograms_(c.ignored16BitPrograms) {
    runtime_.networkKind = c.networkKind;
    PutText(runtime_.workstationName, c.workstation);
    PutText(runtime_.userName, c.user);
    PutText(runtime_.userContext, c.userContext);
    PutText(runtime_.homePath, c.homePath);
    PutText(runtime_.settingsFilePath, c.settingsFile);
    PutText(runtime_.timeServerName, c.timeServer);
    runtime_.definitions = definitions_.head();
    runtime_.netWareConnection = c.netWareConnection;
    runtime_.ignoredPrograms = ignoredPrograms_.head();
    runtime_.ignoredClasses = ignoredClasses_.head();
    runtime_.ignoredDosPrograms = ignoredDosPrograms_.head();
    runtime_.ignored16BitPrograms = ignored16BitPrograms_.head();

    agent_.runtime = &runtime_;
    agent_.agentDirectory = agentDirectory_.c_str();
    agent_.updateInterval = c.updateInterval;
    PutText(agent_.logHeaderText, c.logHeader);
    agent_.agentNumber = c.agentNumber;
    agent_.updateCountdown = c.updateCountdown;
    agent_.closeRetryCount = c.closeRetryCount;
    agent_.optionFlags = c.optionFlags;
}

}  // namespace plvagent
