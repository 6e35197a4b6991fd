// plvagent run by a test as the tools are run (plvlog/tool_run.h), with its
// own working directory and environment.
#pragma once

#include <string>

#include "plvlog/tool_run.h"

namespace plvagent::testing {

using AgentProcess = plv::testing::ToolProcess;
using plv::testing::Eventually;

// The plvagent the build made.
std::string AgentProgram();

// The library meters only with its process-list module (PLVNTPRL.DLL,
// libplvntprl.so) beside it; a test of a metering agent fails without it.
::testing::AssertionResult ProcessListModuleIsBuilt();

}  // namespace plvagent::testing
