// Windows keeps no session lock: an agent per session is the
// administrator's to arrange there (one logon script, one service).
#include "session.h"

namespace plvagent {

SessionLock::~SessionLock() = default;

bool SessionLock::Take(const std::string &, const std::string &, std::string *) { return true; }

}  // namespace plvagent
