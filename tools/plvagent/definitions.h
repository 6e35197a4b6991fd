// Application definitions from the administrator's definitions file: one
// section per definition, named after the application, tried in file order,
// with keys named after the criteria. Built into the library's node layout
// and linked in that order; the host owns the nodes.
#pragma once

#include <string>
#include <vector>

#include "plvlib32.h"
#include "problems.h"

namespace plvagent {

class DefinitionList {
  public:
    DefinitionList() = default;
    explicit DefinitionList(std::vector<PLVAppDefinition> nodes);
    DefinitionList(DefinitionList &&) = default;
    DefinitionList &operator=(DefinitionList &&) = default;
    DefinitionList(const DefinitionList &) = delete;
    DefinitionList &operator=(const DefinitionList &) = delete;

    // The value of the definition list head: the first node, or null.
    void *head() { return nodes_.empty() ? nullptr : &nodes_.front(); }
    const std::vector<PLVAppDefinition> &nodes() const { return nodes_; }

  private:
    std::vector<PLVAppDefinition> nodes_;  // never resized once linked
};

// Reads the definitions file at path (the agent's form), shown as
// shownName in problems.
DefinitionList ReadDefinitions(const std::string &path, const std::string &shownName,
                               Problems &problems);

// A version resource's product version is read up to 8 characters: a
// longer Version criterion could never match.
inline constexpr std::size_t kDefinitionVersionRoom = 8;

// The host's own data in a node: the definition's number (from 1, in its
// first four bytes) and its name.
inline constexpr std::size_t kDefinitionNameRoom = sizeof(PLVAppDefinition::hostData2) - 1;
std::string DefinitionName(const PLVAppDefinition &definition);

}  // namespace plvagent
