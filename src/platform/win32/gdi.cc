#include "platform/win32/win32_platform.h"

namespace plv::win32 {

BOOL Win32Platform::GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) {
    return ::GetTextExtentPointA(dc, text, length, size);
}

}  // namespace plv::win32
