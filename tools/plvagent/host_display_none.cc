// A build without a window system sees no window on any display.
#include "host_system.h"

namespace plvagent::host {

std::optional<std::string> DisplayProblem() {
    return std::string(
        "this build of the agent has no window system: no application window can be "
        "seen, so nothing is metered");
}

}  // namespace plvagent::host
