#include "agent_process.h"

#include <filesystem>

namespace plvagent::testing {

std::string AgentProgram() { return PLVAGENT_PROGRAM; }

::testing::AssertionResult ProcessListModuleIsBuilt() {
    const std::filesystem::path module =
        std::filesystem::path(AgentProgram()).parent_path() / "libplvntprl.so";
    if (std::filesystem::exists(module)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << module.string() << " is missing: without the process-list module the agent cannot meter";
}

}  // namespace plvagent::testing
