#include "ansi_text.h"

#include <algorithm>

namespace plv::logs {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Utf8FromAnsi(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char c : text) {
        const char16_t character = CharacterOfAnsiByte(static_cast<unsigned char>(c));
        if (character < 0x80) {
            utf8 += static_cast<char>(character);
        } else if (character < 0x800) {
            utf8 += static_cast<char>(0xC0 | (character >> 6));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (character >> 12));
            utf8 += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        }
    }
    return utf8;
}

}  // namespace plv::logs
