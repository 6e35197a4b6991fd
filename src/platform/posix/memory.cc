#include <cstdlib>

#include "platform/posix/posix_platform.h"

namespace plv::posix {

HGLOBAL PosixPlatform::GlobalAlloc(UINT flags, SIZE_T bytes) {
    // A zero-byte request still yields a distinct block, as GlobalAlloc does.
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    void *block = (flags & GMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HGLOBAL PosixPlatform::GlobalFree(HGLOBAL block) {
    std::free(block);
    return nullptr;
}

}  // namespace plv::posix
