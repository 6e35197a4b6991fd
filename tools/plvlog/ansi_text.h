// The texts of the agent's files are in the ANSI code page, Windows-1252;
// the tools write UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace plv::logs {

// The character a byte of the code page stands for.
char16_t CharacterOfAnsiByte(unsigned char byte);

// A text of ASCII characters alone reads the same in both.
bool IsAscii(std::string_view text);

std::string Utf8FromAnsi(std::string_view text);

}  // namespace plv::logs
