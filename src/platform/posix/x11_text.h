// Texts of X properties in the ANSI code page (Windows-1252). Characters the
// code page lacks, and bytes that are no character at all, become '?'.
#pragma once

#include <string>
#include <string_view>

namespace plv::posix::x11 {

std::string AnsiFromUtf8(std::string_view text);

// ISO 8859-1: the encoding of STRING properties.
std::string AnsiFromLatin1(std::string_view text);

}  // namespace plv::posix::x11
