// Path pieces the library's parts take apart alike.
#pragma once

#include <cstring>

namespace plv {

// The text after the last backslash, or the whole path when there is none.
inline const char *AfterLastBackslash(const char *path) {
    const char *slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace plv
