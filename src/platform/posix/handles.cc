#include "platform/posix/handles.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// Handles are multiples of four, as on Windows, and never reused, so a
// handle closed twice is refused the second time.
constexpr std::uintptr_t kFirstHandle = 0x104;
constexpr std::uintptr_t kHandleStep = 4;

struct HandleTable {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = kFirstHandle;
};

HandleTable &Table() {
    static HandleTable table;
    return table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(Table().mutex);
    const std::uintptr_t handle = Table().next;
    Table().next += kHandleStep;
    Table().objects[handle] = std::move(object);
    return reinterpret_cast<HANDLE>(handle);
}

std::shared_ptr<KernelObject> FindObject(HANDLE handle) {
    std::lock_guard lock(Table().mutex);
    auto found = Table().objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == Table().objects.end() ? nullptr : found->second;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle) {
    std::lock_guard lock(Table().mutex);
    auto found = Table().objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == Table().objects.end()) return nullptr;
    std::shared_ptr<KernelObject> object = std::move(found->second);
    Table().objects.erase(found);
    return object;
}

BOOL PosixPlatform::CloseHandle(HANDLE object) {
    std::shared_ptr<KernelObject> closing = RemoveHandle(object);
    if (!closing) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (DWORD error = closing->Close()) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

}  // namespace plv::posix
