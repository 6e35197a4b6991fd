// Typed values from the text of a key. Each answers nothing when the text
// is not a value of its kind, and says in *why what was expected.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plvagent {

// A decimal whole number from low to high.
std::optional<std::uint32_t> ParseNumber(const std::string &text, std::uint32_t low,
                                         std::uint32_t high, std::string *why);

// yes/no, true/false, on/off, 1/0, in any case.
std::optional<bool> ParseBoolean(const std::string &text, std::string *why);

// A hexadecimal number of at most four digits (a language identifier as
// the definition files write it, 0409).
std::optional<std::uint16_t> ParseHex16(const std::string &text, std::string *why);

// A date written 1998-08-20 or 19980820, as a file date of the agent: whole
// days since 1 January 1980 times 86400.
std::optional<std::uint32_t> ParseFileDate(const std::string &text, std::string *why);

// Comma-separated items, blanks around each trimmed, empty items dropped.
std::vector<std::string> SplitList(const std::string &text);

std::string Trimmed(const std::string &text);

}  // namespace plvagent
