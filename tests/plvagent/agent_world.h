// A workstation for plvagent run by a test: its home path (drive H:), its
// data and runtime directories below one temporary directory, a
// configuration file, and readers for what the agent leaves there.
#pragma once

#include <string>
#include <vector>

#include "agent_process.h"
#include "support/temporary_directory.h"

namespace plvagent::testing {

class AgentWorld {
  public:
    AgentWorld();

    // Writes the configuration: [Agent] with the home path and these extra
    // lines, then the other sections given, then the world's drives and
    // directories.
    void Configure(const std::string &agentLines, const std::string &otherSections = "");

    const std::string &directory() const { return directory_.path(); }
    std::string configurationFile() const { return directory_ / "agent.ini"; }
    std::string dataDirectory() const { return directory_ / "local"; }
    std::string logsDirectory() const { return directory_ / "server/PLV/LOGS"; }

    // plvagent doing the command with this configuration and the further
    // arguments, in this directory.
    AgentProcess Agent(const std::string &command, std::vector<std::string> arguments = {},
                       const std::vector<std::string> &environment = {}) const;

    // Every event line of every log file, split into its fields.
    std::vector<std::vector<std::string>> LogEvents() const;
    // Those of the program ("Pelvantine" for the agent's own) with the event.
    std::vector<std::vector<std::string>> Events(const std::string &program,
                                                 const std::string &eventText) const;
    // Every line of every definition file.
    std::vector<std::string> DefinitionLines() const;

  private:
    plv::testing::TemporaryDirectory directory_;
};

// The fields of a ';'-separated line.
std::vector<std::string> Fields(const std::string &line);

}  // namespace plvagent::testing
