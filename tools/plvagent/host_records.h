// The two records the host owns and hands to the library, with everything
// hanging off them that the host owns too: the agent directory text, the
// definition list and the four ignore lists. The records point into this
// object, so it stays where it was made. Between two cycles the lists may be
// replaced by those of a re-read configuration.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "configuration.h"
#include "definitions.h"
#include "plvlib32.h"

namespace plvagent {

// A list of texts in the layout of the library's text list nodes.
class TextList {
  public:
    explicit TextList(std::vector<std::string> texts);
    TextList(const TextList &) = delete;
    TextList &operator=(const TextList &) = delete;
    void *head() { return nodes_.empty() ? nullptr : &nodes_.front(); }

  private:
    std::vector<std::string> texts_;
    std::vector<PLVTextListNode> nodes_;
};

// The lists that hang off the runtime record.
struct HostLists {
    HostLists(const AgentConfiguration &configuration, DefinitionList definitions);

    DefinitionList definitions;
    TextList ignoredPrograms;
    TextList ignoredClasses;
    TextList ignoredDosPrograms;
    TextList ignored16BitPrograms;
};

class HostRecords {
  public:
    HostRecords(const AgentConfiguration &configuration, DefinitionList definitions);
    HostRecords(const HostRecords &) = delete;
    HostRecords &operator=(const HostRecords &) = delete;

    PLVAgentState &agent() { return agent_; }
    PLVAgentRuntime &runtime() { return runtime_; }

    // The definitions and the ignore lists of the configuration take the
    // place of those in use. Lists replaced stay alive: the library may keep
    // an answer that points into them (its last identification).
    void ReplaceLists(const AgentConfiguration &configuration, DefinitionList definitions);

  private:
    std::string agentDirectory_;
    std::vector<std::unique_ptr<HostLists>> lists_;  // the last in use
    PLVAgentRuntime runtime_{};
    PLVAgentState agent_{};
};

}  // namespace plvagent
