// Command lines as Windows programs receive them: one text, split into
// arguments by the program's C runtime.
#pragma once

#include <string>
#include <vector>

namespace plv::posix {

// The arguments of a command line, split as CommandLineToArgvW and the C
// runtime of Windows split them. The first argument, the program, ends at
// the next blank, or, when it begins with a quote, at the next quote. The
// others are separated by blanks and tabs outside quotes; 2n backslashes
// before a quote give n backslashes and the quote opens or closes a quoted
// part; 2n+1 give n backslashes and a literal quote; backslashes before
// anything else are literal; within a quoted part a doubled quote is a
// literal quote that also ends the part, and three quotes give one literal
// quote and keep it open.
std::vector<std::string> SplitCommandLine(const std::string &commandLine);

}  // namespace plv::posix
