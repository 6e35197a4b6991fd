// Reads the keys of one section into typed values. A value that does not
// read becomes a problem at its line and leaves the target as it was; an
// empty value stands for the default; keys nobody asked for are reported
// as unknown, so a misspelt key cannot pass unnoticed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ini_file.h"

namespace plvagent {

class SectionReader {
  public:
    // A null section reads as a section without keys.
    SectionReader(const IniFile &file, const IniSection *section, Problems &problems);

    // The key's value when it is given and not empty.
    std::optional<std::string> Text(const char *key);
    // A text of at most capacity characters; forbidden characters refused.
    void Text(const char *key, std::size_t capacity, std::string &target,
              const char *forbidden = "");
    void Number(const char *key, std::uint32_t low, std::uint32_t high, std::uint32_t &target);
    void Boolean(const char *key, bool &target);

    // A problem at the key's line (at the section's when the key is absent).
    void Report(const char *key, std::string text);
    // Every key not asked for so far is unknown.
    void ReportUnknownKeys();

  private:
    const IniKey *Find(const char *key);

    const IniFile &file_;
    const IniSection *section_;
    Problems &problems_;
    std::vector<bool> asked_;
};

}  // namespace plvagent
