// The ids of the running processes, from a ToolHelp snapshot.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32_api.h"

namespace plv::companions {

class ProcessIds {
  public:
    // Takes a snapshot and starts the walk at its first id; false when no
    // snapshot can be taken.
    bool Refresh();
    // The next id of the walk, 0 after the last.
    DWORD Next();
    // Lets the list go: the walk is at its end.
    void Clear();

  private:
    std::vector<DWORD> ids_;
    std::size_t position_ = 0;
};

}  // namespace plv::companions
