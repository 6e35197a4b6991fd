// Typed access to an entry point found with GetProcAddress.
#pragma once

#include "platform/win32_api.h"

namespace plv {

// The cast goes through void(*)(), the one function type every compiler
// accepts as a go-between for unrelated function types.
template <typename Function>
Function EntryPoint(FARPROC entry) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

}  // namespace plv
