// DOS paths on Linux: drive letters and \\server\share roots stand for host
// directories, as under Wine; names match existing files without regard to
// case, as on Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace plv::posix {

// The host configuration (host_config.cc).
std::optional<std::string> DriveDirectory(char letter);
std::optional<std::string> ShareDirectory(const std::string &server, const std::string &share);
bool IsKnownServer(const std::string &server);
struct MappedRoot {
    std::string dosRoot;  // "C:" or "\\SERVER\SHARE"
    std::string directory;
};
std::vector<MappedRoot> MappedRoots();

// A host directory named without its trailing slashes; "/" stays "/".
std::string WithoutTrailingSlashes(std::string directory);

// The host path of a DOS path. Fails with the Win32 code Windows gives for
// a root that does not exist: 3 for a drive, 53 or 67 for a share, 2 for a
// device name.
DWORD HostPathOf(LPCSTR dosPath, std::string *hostPath);

// The host directory of a root as GetDriveTypeA takes it ("C:\", "C:",
// "\\server\share\"); fails as HostPathOf, and with 123 for a path that is
// no root.
DWORD HostRootOf(LPCSTR rootPath, std::string *hostRoot);

}  // namespace plv::posix
