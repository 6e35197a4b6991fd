// The block that GetFileVersionInfoA fills and VerQueryValueA answers from.
// Laid out as Windows lays it out for the ANSI calls: the resource's
// VS_VERSIONINFO bytes (UTF-16 keys and texts), the signature "FE2X", then
// room for ANSI copies of the texts. A text found at offset p of the resource
// is copied to offset p of that room, so copies never overlap, need no
// bookkeeping, and live exactly as long as the caller's block.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32_api.h"

namespace plv::posix {

// Bytes the block needs for this resource: the resource, the signature, and a
// room one byte longer than the resource, so that even an empty text at the
// resource's very end has room for its terminator.
DWORD VersionBlockSize(const std::vector<std::uint8_t> &resource);

// Writes the block into `block`, which holds VersionBlockSize bytes.
void WriteVersionBlock(const std::vector<std::uint8_t> &resource, void *block);

// Looks a path of keys up ("\" for the root's VS_FIXEDFILEINFO,
// "\VarFileInfo\Translation", "\StringFileInfo\040904b0\ProductName"), keys
// compared without regard to case. A binary value is answered in place with
// its length in bytes; a text is answered by its ANSI copy with its length in
// characters, terminator included. Every step is bounded by the lengths the
// enclosing structures declare.
bool QueryVersionBlock(const void *block, const char *subBlock, void **value, UINT *length);

}  // namespace plv::posix
