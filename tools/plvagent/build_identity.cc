#include "build_identity.h"

// Generated at each build (cmake/PlvBuildIdentity.cmake).
#include "plv_build_commit.h"

namespace plvagent {

std::string BuildIdentity() {
    return std::string(PLVAGENT_VERSION) + " (commit " + PLV_BUILD_COMMIT + ")";
}

}  // namespace plvagent
