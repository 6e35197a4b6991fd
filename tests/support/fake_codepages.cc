// OEM to ANSI: the letters and currency signs of code page 437 (0x80 to
// 0xA5) become their code page 1252 bytes; every other byte stays as it is.
#include "support/fake_platform.h"

namespace plv::testing {
namespace {

constexpr unsigned char kOemLetters[] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC,
    0xC4, 0xC5, 0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2,
    0xA3, 0xA5, 'P',  0x83, 0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1,
};

}  // namespace

BOOL FakePlatform::OemToCharA(LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    do {
        const auto byte = static_cast<unsigned char>(*source);
        const bool letter = byte >= 0x80 && byte < 0x80 + sizeof kOemLetters;
        *destination++ = static_cast<char>(letter ? kOemLetters[byte - 0x80] : byte);
    } while (*source++ != '\0');
    return TRUE;
}

}  // namespace plv::testing
