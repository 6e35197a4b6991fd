// An initialisation file as the agent reads it: read once, its values by the
// rules of the profile calls (so they read as Windows reads them), and an
// index of the file's lines that knows where each section and key stands, so
// every problem can name its line. Lines the profile calls would silently
// skip are problems here.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/profile_text.h"
#include "problems.h"

namespace plvagent {

struct IniKey {
    std::string name;
    int line = 0;
};

struct IniSection {
    std::string name;
    int line = 0;
    std::vector<IniKey> keys;  // in file order, each name once
};

class IniFile {
  public:
    // Reads and indexes the file at path (the agent's form); shownName is
    // how problems name it. Malformed lines and repeated sections or keys
    // become problems. Nothing when the file cannot be read.
    static std::optional<IniFile> Open(const std::string &path, const std::string &shownName,
                                       Problems &problems);

    const std::string &shownName() const { return shownName_; }
    const std::vector<IniSection> &sections() const { return sections_; }
    // The section of that name, ignoring case; null when the file has none.
    const IniSection *Find(const std::string &section) const;

    // The key's value; nothing, with a problem, when it is too long to read.
    std::optional<std::string> Value(const IniSection &section, const IniKey &key,
                                     Problems &problems) const;
    Problem At(const IniKey &key, std::string text) const;
    Problem At(const IniSection &section, std::string text) const;

  private:
    IniFile(const std::string &content, std::string shownName)
        : profile_(content), shownName_(std::move(shownName)) {}
    void Index(const std::string &content, Problems &problems);

    plv::ProfileText profile_;
    std::string shownName_;
    std::vector<IniSection> sections_;
    // Section positions by name folded to lower case.
    std::unordered_map<std::string, std::size_t> sectionsByName_;
};

// Names of sections and keys compare without regard to ASCII case.
bool SameName(const std::string &a, const std::string &b);

}  // namespace plvagent
