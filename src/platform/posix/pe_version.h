// Finds the version resource of a Windows executable (PE32 or PE32+) without
// loading it: headers, section table and resource directory are read piece by
// piece, each piece bounded by the file and by the structure that holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace plv::posix {

// Fills `out` with the `size` bytes at `offset`; false when they are not all
// there.
using ByteReader = std::function<bool(std::uint64_t offset, std::size_t size, void *out)>;

// The bytes of a VS_VERSIONINFO block as it stands in the file, cut to its own
// declared length; or, when there is none, the Win32 error that says why.
struct VersionResource {
    DWORD error = ERROR_SUCCESS;
    std::vector<std::uint8_t> bytes;
};

// Type 16, its first name, that name's first language.
VersionResource FindVersionResource(const ByteReader &read);

// The same for a file on this machine; a missing or unreadable file answers
// the error of opening it.
VersionResource ReadVersionResource(const std::string &hostPath);

}  // namespace plv::posix
