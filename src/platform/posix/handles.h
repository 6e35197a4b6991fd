// The process's table of kernel objects. A handle is a number in the table,
// so a stale or foreign handle is recognised, never dereferenced.
#pragma once

#include <memory>

#include "platform/win32_api.h"

namespace plv::posix {

class KernelObject {
  public:
    virtual ~KernelObject() = default;
    // Releases what the object holds; a Win32 code, 0 on success.
    virtual DWORD Close() = 0;
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindObject(HANDLE handle);
// Takes the handle out of the table; null when it was not there.
std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle);

// The object of a handle when it is of the given kind, else null.
template <typename Kind>
std::shared_ptr<Kind> FindObjectOf(HANDLE handle) {
    return std::dynamic_pointer_cast<Kind>(FindObject(handle));
}

}  // namespace plv::posix
