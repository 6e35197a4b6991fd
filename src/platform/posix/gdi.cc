#include "platform/posix/posix_platform.h"

namespace plv::posix {

BOOL PosixPlatform::GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) {
    if (dc == nullptr || text == nullptr || length < 0 || size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size->cx = kCharWidth * length;
    size->cy = kCharHeight;
    return TRUE;
}

}  // namespace plv::posix
