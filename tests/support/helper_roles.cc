// The helper roles a test binary can be run in, on every platform.
#include <cstdio>
#include <map>

#include "support/helper_process.h"

namespace plv::testing {
namespace {

std::map<std::string, HelperMain> &Roles() {
    static std::map<std::string, HelperMain> roles;
    return roles;
}

}  // namespace

HelperRole::HelperRole(const char *name, HelperMain main) { Roles()[name] = main; }

bool RunHelperIfAsked(int argc, char **argv, int *exitCode) {
    if (argc < 3 || std::string(argv[1]) != "--helper") return false;
    auto role = Roles().find(argv[2]);
    if (role == Roles().end()) {
        std::fprintf(stderr, "no helper role %s\n", argv[2]);
        *exitCode = 2;
        return true;
    }
    *exitCode = role->second(std::vector<std::string>(argv + 3, argv + argc));
    return true;
}

}  // namespace plv::testing
