// The directories the platform keeps its own files in: the runtime
// directory of the named semaphores, the data directory and its registry
// store. Whoever else could write in one could hold the timer semaphore's
// lock, replace the registry store or plant a link for the agent to follow,
// so each is used only as a real directory (no link) of this process's user
// with no access for group or others, whether the platform made it or found
// it. Files in it are reached through the opened directory, with O_NOFOLLOW.
#pragma once

#include <string>

#include "platform/win32_api.h"

namespace plv::posix {

// An opened own directory, or why there is none. Closes what it opened.
class OwnDirectory {
  public:
    OwnDirectory() = default;
    ~OwnDirectory();
    OwnDirectory(OwnDirectory &&other) noexcept;
    OwnDirectory &operator=(OwnDirectory &&other) noexcept;

    int fd() const { return fd_; }
    // 0, ERROR_ACCESS_DENIED when refused, else the Win32 code of the failure
    // (ERROR_PATH_NOT_FOUND for a directory not made and missing).
    DWORD error() const { return error_; }
    // Why there is none, naming the directory; for a refusal also what it
    // is, its owner and its mode.
    const std::string &why() const { return why_; }

  private:
    friend OwnDirectory OpenOwnDirectory(const std::string &, bool);
    friend OwnDirectory OpenOwnDirectory(int, const std::string &, const std::string &, bool);
    static OwnDirectory Failed(const std::string &path, int error);
    int fd_ = -1;
    DWORD error_ = ERROR_SUCCESS;
    std::string why_;
};

// Opens the directory at `path`; with `make`, makes it and its missing
// parents first (mode 0700).
OwnDirectory OpenOwnDirectory(const std::string &path, bool make);
// The directory `name` inside `parent` (an own directory), which `path` names.
OwnDirectory OpenOwnDirectory(int parent, const std::string &name, const std::string &path,
                              bool make);

}  // namespace plv::posix
