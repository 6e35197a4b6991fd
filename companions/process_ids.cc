#include "process_ids.h"

#include <cerrno>

namespace plv::companions {
namespace {

// A process's directory is named by its id, digits only; every other entry
// of /proc (self, sys, meminfo, ...) is not a process.
DWORD IdOf(const char *name) {
    DWORD id = 0;
    for (const char *c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return 0;
        id = id * 10 + static_cast<DWORD>(*c - '0');
    }
    return id;
}

}  // namespace

bool ProcessIds::Open() {
    if (proc_ == nullptr) proc_ = ::opendir("/proc");
    return proc_ != nullptr;
}

// The directory stays open between walks: rewinding it makes the kernel list
// the processes of that moment, and saves opening it once a second. Only the
// ids are read here; program paths are read for new processes only.
bool ProcessIds::Refresh() {
    ids_.clear();
    position_ = 0;
    if (!Open()) return false;
    ::rewinddir(proc_);
    errno = 0;
    while (const dirent *entry = ::readdir(proc_)) {
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
        if (const DWORD id = IdOf(entry->d_name)) ids_.push_back(id);
    }
    return errno == 0;
}

DWORD ProcessIds::Next() { return position_ < ids_.size() ? ids_[position_++] : 0; }

void ProcessIds::Close() {
    if (proc_ != nullptr) ::closedir(proc_);
    proc_ = nullptr;
    ids_ = {};
    position_ = 0;
}

}  // namespace plv::companions
