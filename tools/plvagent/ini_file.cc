#include "ini_file.h"

#include <algorithm>
#include <sstream>

#include "platform/ascii.h"
#include "seam_files.h"

namespace plvagent {
namespace {

// Longer values are refused rather than cut.
constexpr DWORD kValueRoom = 65536;

std::string Trim(const std::string &text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool SameName(const std::string &a, const std::string &b) {
    return plv::EqualNoCase(a, b);
}

std::optional<IniFile> IniFile::Open(const std::string &path, const std::string &shownName,
                                     Problems &problems) {
    DWORD error = 0;
    const std::optional<std::string> content = ReadWholeFile(path, &error);
    if (!content) {
        problems.push_back({shownName, 0, {}, "cannot be read: " + ErrorText(error)});
        return std::nullopt;
    }
    IniFile file(*content, shownName);
    file.Index(*content, problems);
    return file;
}

// The same reading of lines as the profile calls': blanks trimmed, ';'
// starts a comment line, "[name]" a section, "key=value" a key.
void IniFile::Index(const std::string &content, Problems &problems) {
    std::istringstream lines(content);
    std::string line;
    IniSection *current = nullptr;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            if (text.back() != ']' || text.find(']') != text.size() - 1) {
                problems.push_back({shownName_, number, {}, "a section line must be [name] alone"});
                current = nullptr;
                continue;
            }
            const std::string name = Trim(text.substr(1, text.size() - 2));
            if (name.empty()) {
                problems.push_back({shownName_, number, {}, "a section has no name"});
                current = nullptr;
                continue;
            }
            if (const IniSection *earlier = Find(name)) {
                problems.push_back({shownName_, number, {},
                                    "section [" + name + "] is repeated (first on line " +
                                        std::to_string(earlier->line) + ")"});
                current = nullptr;
                continue;
            }
            sectionsByName_.emplace(plv::FoldedAscii(name), sections_.size());
            sections_.push_back({name, number, {}});
            current = &sections_.back();
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            problems.push_back({shownName_, number, {}, "expected key=value, [section] or a ; comment"});
            continue;
        }
        const std::string key = Trim(text.substr(0, equals));
        if (key.empty()) {
            problems.push_back({shownName_, number, {}, "a key has no name"});
            continue;
        }
        if (current == nullptr) {
            if (sections_.empty())
                problems.push_back({shownName_, number, key, "stands before the first section"});
            continue;  // a key of a refused section was reported with it
        }
        const auto earlier = std::find_if(current->keys.begin(), current->keys.end(),
                                          [&](const IniKey &known) { return SameName(known.name, key); });
        if (earlier != current->keys.end()) {
            problems.push_back({shownName_, number, key,
                                "is repeated (first on line " + std::to_string(earlier->line) + ")"});
            continue;
        }
        current->keys.push_back({key, number});
    }
}

const IniSection *IniFile::Find(const std::string &section) const {
    const auto found = sectionsByName_.find(plv::FoldedAscii(section));
    return found == sectionsByName_.end() ? nullptr : &sections_[found->second];
}

std::optional<std::string> IniFile::Value(const IniSection &section, const IniKey &key,
                                          Problems &problems) const {
    std::optional<std::string> value = profile_.Value(section.name, key.name);
    if (value && value->size() >= kValueRoom - 1) {
        problems.push_back(At(key, "the value is too long"));
        return std::nullopt;
    }
    return value ? value : std::string();
}

Problem IniFile::At(const IniKey &key, std::string text) const {
    return {shownName_, key.line, key.name, std::move(text)};
}

Problem IniFile::At(const IniSection &section, std::string text) const {
    return {shownName_, section.line, "[" + section.name + "]", std::move(text)};
}

}  // namespace plvagent
