// Texts into the fixed, zero-terminated text fields of the host records.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

namespace plvagent {

// The field is cleared, then takes at most its width less one characters.
template <std::size_t Width>
void PutText(char (&field)[Width], const std::string &text) {
    std::memset(field, 0, Width);
    std::memcpy(field, text.data(), std::min(text.size(), Width - 1));
}

}  // namespace plvagent
