// The ids of the running processes, as /proc lists them.
#pragma once

#include <dirent.h>

#include <vector>

#include "platform/win32_api.h"

namespace plv::companions {

class ProcessIds {
  public:
    ProcessIds() = default;
    ~ProcessIds() { Close(); }
    ProcessIds(const ProcessIds &) = delete;
    ProcessIds &operator=(const ProcessIds &) = delete;

    // Opens /proc; false when it cannot be read.
    bool Open();
    // Reads the ids afresh and starts the walk at the first; false when /proc
    // cannot be read.
    bool Refresh();
    // The next id of the walk, 0 after the last.
    DWORD Next();
    // Closes /proc and lets the list go.
    void Close();

  private:
    DIR *proc_ = nullptr;
    std::vector<DWORD> ids_;
    std::size_t position_ = 0;
};

}  // namespace plv::companions
