#include "platform/profile_text.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

namespace plv {
namespace {

std::string Trim(const std::string &text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string &a, const std::string &b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

std::string Unquoted(const std::string &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// One key of a section, or a section's heading (so that sections without
// keys are listed). `heading` numbers the headings in the file's order.
struct Entry {
    std::size_t heading;
    bool isHeading;
    std::string section;
    std::string key;
    std::string value;
};

// Lines before the first section and lines without '=' hold no key.
std::vector<Entry> Parse(const std::string &content) {
    std::vector<Entry> entries;
    std::istringstream lines(content);
    std::string line;
    std::string section;
    std::size_t headings = 0;
    while (std::getline(lines, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            section = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            entries.push_back({++headings, true, section, {}, {}});
            continue;
        }
        const auto equals = text.find('=');
        if (headings == 0 || equals == std::string::npos) continue;
        entries.push_back({headings, false, section, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))});
    }
    return entries;
}

// The number of the first heading of the section, 0 when there is none: a
// section's keys are looked for under its first heading only, as Windows
// does, whatever a later heading of the same name holds.
std::size_t FirstHeading(const std::vector<Entry> &entries, LPCSTR section) {
    for (const Entry &entry : entries) {
        if (entry.isHeading && SameName(entry.section, section)) return entry.heading;
    }
    return 0;
}

// Names, each with its terminator, then one more terminator. When they do
// not fit, the last name that fits is cut, the buffer ends with two
// terminators and the result is the size less two.
DWORD CopyList(const std::vector<std::string> &names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string &name : names) list.append(name).push_back('\0');
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// A value too long for the buffer is cut to the size less one.
DWORD CopyValue(const std::string &value, LPSTR buffer, DWORD size) {
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return count;
}

}  // namespace

DWORD ProfileString(const std::string *content, LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                    LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return 0;
    const std::vector<Entry> entries = content ? Parse(*content) : std::vector<Entry>{};
    // Lists name every heading and every key as often as it is written.
    if (section == nullptr) {
        std::vector<std::string> names;
        for (const Entry &entry : entries) {
            if (entry.isHeading) names.push_back(entry.section);
        }
        return CopyList(names, buffer, size);
    }
    const std::size_t heading = FirstHeading(entries, section);
    if (key == nullptr) {
        std::vector<std::string> names;
        for (const Entry &entry : entries) {
            if (!entry.isHeading && entry.heading == heading && !entry.key.empty())
                names.push_back(entry.key);
        }
        return CopyList(names, buffer, size);
    }
    if (*key != '\0') {
        for (const Entry &entry : entries) {
            if (!entry.isHeading && entry.heading == heading && SameName(entry.key, key))
                return CopyValue(Unquoted(entry.value), buffer, size);
        }
    }
    // The default loses its trailing blanks.
    std::string fallback = defaultValue ? defaultValue : "";
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    return CopyValue(fallback, buffer, size);
}

UINT ProfileInteger(const char *text) {
    const std::string value = text;
    std::size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) negative = value[at++] == '-';
    unsigned base = 10;
    if (at + 1 < value.size() && value[at] == '0') {
        const char prefix = Fold(value[at + 1]);
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) at += 2;
    }
    UINT number = 0;
    for (; at < value.size(); ++at) {
        const char c = Fold(value[at]);
        const unsigned digit = (c >= '0' && c <= '9')   ? unsigned(c - '0')
                               : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                                        : base;
        if (digit >= base) break;
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

}  // namespace plv
