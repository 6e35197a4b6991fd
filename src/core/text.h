// Small text helpers shared by the library's parts.
#pragma once

#include <cstring>

namespace plv {

// ASCII letters fold; nothing else does.
inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsIgnoringCase(const char *a, const char *b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}

// The text after the last backslash, or the whole path when there is none.
inline const char *AfterLastBackslash(const char *path) {
    const char *slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace plv
