#include "platform/win32/win32_platform.h"

namespace plv::win32 {

HANDLE Win32Platform::CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount,
                                       LONG maximumCount, LPCSTR name) {
    return ::CreateSemaphoreA(security, initialCount, maximumCount, name);
}

HANDLE Win32Platform::OpenSemaphoreA(DWORD access, BOOL inheritHandle, LPCSTR name) {
    return ::OpenSemaphoreA(access, inheritHandle, name);
}

DWORD Win32Platform::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return ::WaitForSingleObject(object, milliseconds);
}

BOOL Win32Platform::ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount) {
    return ::ReleaseSemaphore(semaphore, releaseCount, previousCount);
}

}  // namespace plv::win32
