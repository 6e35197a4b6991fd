#include "platform/win32/win32_platform.h"

namespace plv::win32 {

HMODULE Win32Platform::GetModuleHandleA(LPCSTR name) { return ::GetModuleHandleA(name); }

HMODULE Win32Platform::LoadLibraryA(LPCSTR name) { return ::LoadLibraryA(name); }

FARPROC Win32Platform::GetProcAddress(HMODULE module, LPCSTR name) {
    return ::GetProcAddress(module, name);
}

BOOL Win32Platform::FreeLibrary(HMODULE module) { return ::FreeLibrary(module); }

}  // namespace plv::win32
