// Profile reads over the fake's files, with the rules of Windows: sections
// and keys without regard to case, blanks around names and values trimmed,
// one pair of surrounding quotes removed, ';' lines are comments, no inline
// comments, lists of names ended by an empty name.
#include <cstring>
#include <sstream>
#include <vector>

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

std::string Unquoted(const std::string &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// Sections without entries appear with an empty key so they can be listed.
std::vector<Entry> Parse(const std::string &content) {
    std::vector<Entry> entries;
    std::istringstream lines(content);
    std::string line;
    std::string section;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            section = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            entries.push_back({section, {}, {}});
        } else if (inSection) {
            const auto equals = text.find('=');
            if (equals == std::string::npos) continue;
            entries.push_back({section, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))});
        }
    }
    return entries;
}

// A list of names, each with its terminator, and one more terminator; cut
// as Windows cuts it when the buffer is short.
DWORD CopyList(const std::vector<std::string> &names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string &name : names) list += name + '\0';
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        if (size == 1) buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

DWORD CopyValue(const std::string &value, LPSTR buffer, DWORD size) {
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return count;
}

bool Contains(const std::vector<std::string> &names, const std::string &name) {
    for (const std::string &known : names)
        if (SameName(known, name)) return true;
    return false;
}

// Integers as Windows reads them: optional sign, then hexadecimal after
// "0x", octal after "0o", binary after "0b", else decimal, up to the first
// character that is no digit; wrapping modulo 2^32.
UINT ProfileInteger(const std::string &text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    unsigned base = 10;
    if (at + 1 < text.size() && text[at] == '0') {
        const char prefix = static_cast<char>(text[at + 1] | 0x20);
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) at += 2;
    }
    UINT value = 0;
    for (; at < text.size(); ++at) {
        const char c = static_cast<char>(text[at] | 0x20);
        const unsigned digit = (c >= '0' && c <= '9') ? unsigned(c - '0')
                               : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                                        : base;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

}  // namespace

DWORD FakePlatform::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                             LPSTR buffer, DWORD size, LPCSTR fileName) {
    if (buffer == nullptr || size == 0) return 0;
    const File *file = fileName ? FindFile(fileName) : nullptr;
    const std::vector<Entry> entries = file ? Parse(file->data) : std::vector<Entry>{};
    if (section == nullptr || key == nullptr) {
        std::vector<std::string> names;
        for (const Entry &entry : entries) {
            if (section == nullptr && !Contains(names, entry.section)) names.push_back(entry.section);
            if (section != nullptr && !entry.key.empty() && SameName(entry.section, section) &&
                !Contains(names, entry.key))
                names.push_back(entry.key);
        }
        return CopyList(names, buffer, size);
    }
    if (*key != '\0') {
        for (const Entry &entry : entries) {
            if (!entry.key.empty() && SameName(entry.section, section) && SameName(entry.key, key))
                return CopyValue(Unquoted(entry.value), buffer, size);
        }
    }
    std::string fallback = defaultValue ? defaultValue : "";
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    if (file == nullptr) SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyValue(fallback, buffer, size);
}

UINT FakePlatform::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                         LPCSTR fileName) {
    char text[32];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
        return static_cast<UINT>(defaultValue);
    return ProfileInteger(text);
}

}  // namespace plv::testing
