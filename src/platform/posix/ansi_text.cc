#include "platform/posix/ansi_text.h"

namespace plv::posix {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest equal their Unicode code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

char16_t UnicodeOfAnsiByte(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : char16_t{byte};
}

int AnsiByteOf(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character < 0x100)) {
        return static_cast<int>(character);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == character) return 0x80 + i;
    }
    return -1;
}

std::string AnsiFromUtf16(std::u16string_view text) {
    std::string ansi;
    for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
            ansi += '?';
            continue;
        }
        const int byte = AnsiByteOf(text[i]);
        ansi += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return ansi;
}

}  // namespace plv::posix
