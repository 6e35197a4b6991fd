// Which build of the agent this is: the project's version and the commit
// it was built from, for --version and the host's banner.
#pragma once

#include <string>

namespace plvagent {

// "2.8 (commit 0123456789ab)".
std::string BuildIdentity();

}  // namespace plvagent
