// The two records the host owns and hands to the library, with everything
// hanging off them that the host owns too: the agent directory text, the
// definition list and the four ignore lists. The records point into this
// object, so it stays where it was made.
#pragma once

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

class HostRecords {
  public:
    HostRecords(const AgentConfiguration &configuration, DefinitionList definitions);
    HostRecords(const HostRecords &) = delete;
    HostRecords &operator=(const HostRecords &) = delete;

    PLVAgentState &agent() { return agent_; }
    PLVAgentRuntime &runtime() { return runtime_; }

  private:
    std::string agentDirectory_;
    DefinitionList definitions_;
    TextList ignoredPrograms_;
    TextList ignoredClasses_;
    TextList ignoredDosPrograms_;
    TextList ignored16BitPrograms_;
    PLVAgentRuntime runtime_{};
    PLVAgentState agent_{};
};

}  // namespace plvagent
