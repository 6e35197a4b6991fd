#include <cstdlib>
#include <cstring>

#include "support/fake_platform.h"

namespace plv::testing {

HGLOBAL FakePlatform::GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (heap.failNextAllocs > 0) {
        --heap.failNextAllocs;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    // Fill non-zeroed blocks so a caller relying on zeroes is caught.
    void *block = std::malloc(size);
    std::memset(block, (flags & GMEM_ZEROINIT) ? 0 : 0xCD, size);
    heap.live[block] = bytes;
    return block;
}

HGLOBAL FakePlatform::GlobalFree(HGLOBAL block) {
    if (heap.refuseFree.count(block) != 0 || (block != nullptr && heap.live.count(block) == 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return block;
    }
    if (block != nullptr) {
        heap.live.erase(block);
        std::free(block);
        ++heap.frees;
    }
    return nullptr;
}

}  // namespace plv::testing
