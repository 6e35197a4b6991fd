#include "program_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "platform/posix/posix_platform.h"

namespace plv::companions {
namespace {

constexpr char kDeleted[] = " (deleted)";

// The kernel marks a program whose file was removed or replaced since it
// started (an upgraded package) by appending " (deleted)". The path it ran
// from is what identifies it, so the mark goes, unless a file of that full
// name really exists.
void DropDeletedMark(std::string &path) {
    const std::size_t mark = sizeof kDeleted - 1;
    if (path.size() <= mark || path.compare(path.size() - mark, mark, kDeleted) != 0) return;
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0) return;
    path.resize(path.size() - mark);
}

std::optional<std::string> HostProgramPathOf(DWORD processId) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/%u/exe", static_cast<unsigned>(processId));
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return std::nullopt;
    std::string path(target, static_cast<std::size_t>(length));
    DropDeletedMark(path);
    return path;
}

}  // namespace

bool WriteDosProgramPath(DWORD processId, char *path, std::size_t size) {
    const auto hostPath = HostProgramPathOf(processId);
    if (!hostPath) return false;
    const std::string dosPath = posix::DosPathOf(*hostPath);
    // A path cut short would name another file: rather none.
    if (dosPath.size() >= size) return false;
    std::memcpy(path, dosPath.c_str(), dosPath.size() + 1);
    return true;
}

}  // namespace plv::companions
