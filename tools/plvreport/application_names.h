// Applications under the names of the agent's definitions: a program is
// reported under the name of the first definition whose FileName is the
// program's file name (any case), else under its program path.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sessions.h"

namespace plvreport {

struct DefinedName {
    std::string name, fileName;  // fileName may be empty: the definition names no file
};

class ApplicationNames {
  public:
    ApplicationNames() = default;  // no definitions: program paths
    explicit ApplicationNames(std::vector<DefinedName> definitions)
        : definitions_(std::move(definitions)) {}

    std::string NameOf(std::string_view programPath) const;
    // Whether a definition's FileName is this file name, any case.
    bool Knows(std::string_view fileName) const;

  private:
    const DefinedName *DefinitionOf(std::string_view fileName) const;

    std::vector<DefinedName> definitions_;  // in file order
};

// The last component of a program path as logged, DOS or Linux.
std::string_view ProgramFileName(std::string_view path);

// Reads the agent's definitions file as the agent reads it.
ApplicationNames ReadApplicationNames(const std::string &path);

// Gives each session's application the name nameOf gives its present name;
// applications of one new name become one, and sessions whose new name is
// empty are left out.
void RenameApplications(SessionSet &set,
                        const std::function<std::string(const std::string &)> &nameOf);

}  // namespace plvreport
