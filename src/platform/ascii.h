// Case folding as the library does it everywhere: the ASCII letters only.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace plv {

constexpr char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string FoldedAscii(std::string_view text) {
    std::string folded(text);
    for (char &c : folded) c = FoldAscii(c);
    return folded;
}

inline std::string UpperAsciiText(std::string_view text) {
    std::string upper(text);
    for (char &c : upper) c = UpperAscii(c);
    return upper;
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

}  // namespace plv
