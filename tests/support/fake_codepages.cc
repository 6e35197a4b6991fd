// OEM to ANSI as Windows converts code page 437 to code page 1252.
#include "support/code_page_437.h"
#include "support/fake_platform.h"

namespace plv::testing {

BOOL FakePlatform::OemToCharA(LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    do {
        const auto byte = static_cast<unsigned char>(*source);
        *destination++ = static_cast<char>(byte < 0x80 ? byte : kOem437InAnsi[byte - 0x80]);
    } while (*source++ != '\0');
    return TRUE;
}

}  // namespace plv::testing
