// The host's own file work, through the same seam as the library's, so it
// sees paths, drive mappings and errors exactly as the library does.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace plvagent {

// The seam as the host uses it: the platform the build chose.
plv::Platform &Os();

// The whole content of a file (a path in the agent's form); nothing when it
// cannot be read, with the Windows error in *error.
std::optional<std::string> ReadWholeFile(const std::string &path, DWORD *error);

// Appends text at the end of a file, creating it when needed. 0, or the
// Windows error.
DWORD AppendToFile(const std::string &path, const std::string &text);

bool IsDirectory(const std::string &path);

// An error code as an administrator reads it: "the file does not exist".
std::string ErrorText(DWORD error);

}  // namespace plvagent
