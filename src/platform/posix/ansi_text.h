// UTF-16 text in the ANSI code page, Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace plv::posix {

// The character a byte of the code page stands for.
char16_t UnicodeOfAnsiByte(unsigned char byte);

// The code page's byte for a character, or -1 when it has none.
int AnsiByteOf(char32_t character);

// Converts up to the first zero unit. Characters the code page lacks become
// '?', a surrogate pair counting as one character.
std::string AnsiFromUtf16(std::u16string_view text);

}  // namespace plv::posix
