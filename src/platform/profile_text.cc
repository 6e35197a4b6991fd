#include "platform/profile_text.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/ascii.h"

namespace plv {
namespace {

std::string Trim(const std::string &text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Unquoted(const std::string &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string KeyIndex(std::size_t heading, std::string_view key) {
    return std::to_string(heading) + '\n' + FoldedAscii(key);
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

// Lines before the first section and lines without '=' hold no key.
ProfileText::ProfileText(const std::string &content) {
    std::istringstream lines(content);
    std::string line;
    std::string section;
    std::size_t headings = 0;
    while (std::getline(lines, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            section =
                Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            entries_.push_back({++headings, true, section, {}, {}});
            firstHeadings_.try_emplace(FoldedAscii(section), headings);
            continue;
        }
        const auto equals = text.find('=');
        if (headings == 0 || equals == std::string::npos) continue;
        Entry entry{headings, false, section, Trim(text.substr(0, equals)),
                    Trim(text.substr(equals + 1))};
        firstKeys_.try_emplace(KeyIndex(headings, entry.key), entries_.size());
        entries_.push_back(std::move(entry));
    }
}

// A section's keys are looked for under its first heading only, as Windows
// does, whatever a later heading of the same name holds; 0 when none.
std::size_t ProfileText::FirstHeading(std::string_view section) const {
    const auto found = firstHeadings_.find(FoldedAscii(section));
    return found != firstHeadings_.end() ? found->second : 0;
}

const ProfileText::Entry *ProfileText::FirstKey(std::size_t heading, std::string_view key) const {
    const auto found = firstKeys_.find(KeyIndex(heading, key));
    return found != firstKeys_.end() ? &entries_[found->second] : nullptr;
}

DWORD ProfileText::String(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                          DWORD size) const {
    if (buffer == nullptr || size == 0) return 0;
    // Lists name every heading and every key as often as it is written.
    if (section == nullptr) {
        std::vector<std::string> names;
        for (const Entry &entry : entries_) {
            if (entry.isHeading) names.push_back(entry.section);
        }
        return CopyList(names, buffer, size);
    }
    const std::size_t heading = FirstHeading(section);
    if (key == nullptr) {
        std::vector<std::string> names;
        for (const Entry &entry : entries_) {
            if (!entry.isHeading && entry.heading == heading && !entry.key.empty())
                names.push_back(entry.key);
        }
        return CopyList(names, buffer, size);
    }
    if (*key != '\0' && heading != 0) {
        if (const Entry *entry = FirstKey(heading, key))
            return CopyValue(Unquoted(entry->value), buffer, size);
    }
    // The default loses its trailing blanks.
    std::string fallback = defaultValue ? defaultValue : "";
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    return CopyValue(fallback, buffer, size);
}

std::optional<std::string> ProfileText::Value(std::string_view section,
                                              std::string_view key) const {
    const std::size_t heading = FirstHeading(section);
    if (heading == 0 || key.empty()) return std::nullopt;
    const Entry *entry = FirstKey(heading, key);
    if (entry == nullptr) return std::nullopt;
    return Unquoted(entry->value);
}

DWORD ProfileString(const std::string *content, LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                    LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return 0;
    static const std::string noFile;
    return ProfileText(content != nullptr ? *content : noFile)
        .String(section, key, defaultValue, buffer, size);
}

UINT ProfileInteger(const char *text) {
    const std::string value = text;
    std::size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) negative = value[at++] == '-';
    unsigned base = 10;
    if (at + 1 < value.size() && value[at] == '0') {
        const char prefix = FoldAscii(value[at + 1]);
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) at += 2;
    }
    UINT number = 0;
    for (; at < value.size(); ++at) {
        const char c = FoldAscii(value[at]);
        const unsigned digit = (c >= '0' && c <= '9')   ? unsigned(c - '0')
                               : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                                        : base;
        if (digit >= base) break;
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

}  // namespace plv
