#include "section_reader.h"

#include "values.h"

namespace plvagent {

SectionReader::SectionReader(const IniFile &file, const IniSection *section, Problems &problems)
    : file_(file), section_(section), problems_(problems),
      asked_(section != nullptr ? section->keys.size() : 0, false) {}

const IniKey *SectionReader::Find(const char *key) {
    if (section_ == nullptr) return nullptr;
    for (std::size_t i = 0; i < section_->keys.size(); ++i) {
        if (SameName(section_->keys[i].name, key)) {
            asked_[i] = true;
            return &section_->keys[i];
        }
    }
    return nullptr;
}

std::optional<std::string> SectionReader::Text(const char *key) {
    const IniKey *found = Find(key);
    if (found == nullptr) return std::nullopt;
    std::optional<std::string> value = file_.Value(*section_, *found, problems_);
    if (!value || value->empty()) return std::nullopt;
    return value;
}

void SectionReader::Text(const char *key, std::size_t capacity, std::string &target,
                         const char *forbidden) {
    const std::optional<std::string> value = Text(key);
    if (!value) return;
    if (value->size() > capacity) {
        Report(key, "at most " + std::to_string(capacity) + " characters");
    } else if (const auto at = value->find_first_of(forbidden); at != std::string::npos) {
        Report(key, std::string("must not contain '") + (*value)[at] + "'");
    } else {
        target = *value;
    }
}

void SectionReader::Number(const char *key, std::uint32_t low, std::uint32_t high,
                           std::uint32_t &target) {
    const std::optional<std::string> value = Text(key);
    if (!value) return;
    std::string why;
    if (const auto number = ParseNumber(*value, low, high, &why)) {
        target = *number;
    } else {
        Report(key, why);
    }
}

void SectionReader::Boolean(const char *key, bool &target) {
    const std::optional<std::string> value = Text(key);
    if (!value) return;
    std::string why;
    if (const auto flag = ParseBoolean(*value, &why)) {
        target = *flag;
    } else {
        Report(key, why);
    }
}

void SectionReader::Report(const char *key, std::string text) {
    if (const IniKey *found = Find(key)) {
        problems_.push_back(file_.At(*found, std::move(text)));
    } else if (section_ != nullptr) {
        problems_.push_back(file_.At(*section_, std::string(key) + ": " + text));
    } else {
        problems_.push_back({file_.shownName(), 0, key, std::move(text)});
    }
}

void SectionReader::ReportUnknownKeys() {
    for (std::size_t i = 0; i < asked_.size(); ++i) {
        if (!asked_[i]) problems_.push_back(file_.At(section_->keys[i], "unknown key"));
    }
}

}  // namespace plvagent
