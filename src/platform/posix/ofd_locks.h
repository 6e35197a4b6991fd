// Byte-range locks owned by an open file description: they conflict between
// two descriptions even within one process, and the kernel drops them when
// the description is closed, also at the death of its process.
#pragma once

#include <fcntl.h>

#include <cstdint>

namespace plv::posix {

// Each answers 0 or the errno of the failure.
int TryLock(int fd, short type, std::uint64_t start, std::uint64_t length);
int WaitLock(int fd, short type, std::uint64_t start, std::uint64_t length);
int Unlock(int fd, std::uint64_t start, std::uint64_t length);
// Whether a lock of another description stands in the way of a lock of
// `type` on the range.
int FindConflict(int fd, short type, std::uint64_t start, std::uint64_t length, bool *conflict);

// Share modes are kept as locks far beyond any data a file of this system
// holds; byte-range locks the caller asks for end below them.
constexpr std::uint64_t kShareLockBase = 0x7FFFFFFF00000000;

}  // namespace plv::posix
