// The code page's table is Windows' own, asked once per byte value.
#include <windows.h>

#include <array>

#include "ansi_text.h"

namespace plv::logs {
namespace {

std::array<char16_t, 256> CodePageTable() {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        const char text = static_cast<char>(byte);
        wchar_t character = L'?';
        MultiByteToWideChar(1252, 0, &text, 1, &character, 1);
        table[byte] = static_cast<char16_t>(character);
    }
    return table;
}

}  // namespace

char16_t CharacterOfAnsiByte(unsigned char byte) {
    static const std::array<char16_t, 256> table = CodePageTable();
    return table[byte];
}

}  // namespace plv::logs
