// The rules by which Windows reads profile (.ini) files, on their text:
// sections and keys without regard to case, blanks around names and values
// trimmed, one pair of matching quotes around a value removed, lines that
// start with ';' ignored, no inline comments, the first of repeated keys
// winning, lists of names ended by an empty name and cut as Windows cuts
// them. The Linux platform and the test fake both read through them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win32_api.h"

namespace plv {

// A profile file's text read once by those rules, to be asked as often as
// wanted: a reader of many keys (a host reading thousands of definitions)
// pays for the file once, not once a key.
class ProfileText {
  public:
    explicit ProfileText(const std::string &content);

    // What GetPrivateProfileStringA answers.
    DWORD String(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size) const;
    // The key's value as GetPrivateProfileStringA reads it, whole; nothing
    // when the section has no such key.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  private:
    // One key of a section, or a section's heading (so that sections without
    // keys are listed). `heading` numbers the headings in the file's order.
    struct Entry {
        std::size_t heading;
        bool isHeading;
        std::string section;
        std::string key;
        std::string value;
    };

    std::size_t FirstHeading(std::string_view section) const;
    const Entry *FirstKey(std::size_t heading, std::string_view key) const;

    std::vector<Entry> entries_;
    // By name folded to lower case: the first heading of each section, and
    // the first entry of each key under a heading.
    std::unordered_map<std::string, std::size_t> firstHeadings_;
    std::unordered_map<std::string, std::size_t> firstKeys_;
};

// What GetPrivateProfileStringA answers, given the file's text (null when
// there is no such file).
DWORD ProfileString(const std::string *content, LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                    LPSTR buffer, DWORD size);

// The number GetPrivateProfileIntA reads from a value: an optional sign,
// then hexadecimal after "0x", octal after "0o", binary after "0b", else
// decimal, up to the first character that is no digit; modulo 2^32.
UINT ProfileInteger(const char *text);

}  // namespace plv
