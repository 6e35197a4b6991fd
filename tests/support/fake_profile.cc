// Profile reads over the fake's files: sections and keys without regard to
// case, blanks around names and values trimmed.
#include <cstdlib>
#include <optional>
#include <sstream>

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

std::string Trim(const std::string &text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool SameName(const std::string &a, const std::string &b) {
    return !NoCaseLess{}(a, b) && !NoCaseLess{}(b, a);
}

std::optional<std::string> Lookup(const std::string &content, const std::string &section,
                                  const std::string &key) {
    std::istringstream lines(content);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string text = Trim(line);
        if (!text.empty() && text.front() == '[') {
            const auto close = text.find(']');
            inSection = close != std::string::npos && SameName(Trim(text.substr(1, close - 1)), section);
        } else if (inSection) {
            const auto equals = text.find('=');
            if (equals != std::string::npos && SameName(Trim(text.substr(0, equals)), key))
                return Trim(text.substr(equals + 1));
        }
    }
    return std::nullopt;
}

}  // namespace

UINT FakePlatform::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                         LPCSTR fileName) {
    const File *file = FindFile(fileName);
    if (file == nullptr) return static_cast<UINT>(defaultValue);
    const std::optional<std::string> value = Lookup(file->data, section, key);
    if (!value || value->empty()) return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(std::atoi(value->c_str()));
}

}  // namespace plv::testing
