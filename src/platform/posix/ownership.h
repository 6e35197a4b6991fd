// Owners and modes of files, in the words the agent's messages use.
#pragma once

#include <sys/types.h>

#include <string>

namespace plv::posix {

// "nobody (uid 65534)"; "uid 4321" for an owner with no name.
std::string UserText(uid_t uid);
// "staff (gid 50)"; "gid 4321" for a group with no name.
std::string GroupText(gid_t gid);
// The permission bits in octal: "0775".
std::string ModeText(mode_t mode);

}  // namespace plv::posix
