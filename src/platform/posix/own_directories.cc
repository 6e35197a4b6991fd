#include "platform/posix/own_directories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/errors.h"
#include "platform/posix/ownership.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

std::string Refusal(const std::string &path, const struct stat &status) {
    const char *kind = S_ISDIR(status.st_mode)   ? "a directory"
                       : S_ISLNK(status.st_mode) ? "a symbolic link"
                       : S_ISREG(status.st_mode) ? "a file"
                                                 : "a special file";
    return path + " is refused: " + kind + " owned by " + UserText(status.st_uid) + " with mode " +
           ModeText(status.st_mode) +
           "; the agent keeps its files only in a directory of its own user, " +
           UserText(::geteuid()) + ", that no one else may use (mode 0700)";
}

}  // namespace

OwnDirectory OwnDirectory::Failed(const std::string &path, int error) {
    OwnDirectory directory;
    directory.error_ =
        error == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorOf(error, {FileOperation::Open, path});
    directory.why_ = path + ": " + std::strerror(error);
    return directory;
}

OwnDirectory::~OwnDirectory() {
    if (fd_ >= 0) ::close(fd_);
}

OwnDirectory::OwnDirectory(OwnDirectory &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_), why_(std::move(other.why_)) {}

OwnDirectory &OwnDirectory::operator=(OwnDirectory &&other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        why_ = std::move(other.why_);
    }
    return *this;
}

OwnDirectory OpenOwnDirectory(int parent, const std::string &name, const std::string &path,
                              bool make) {
    if (make && ::mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST)
        return OwnDirectory::Failed(path, errno);
    // O_NOFOLLOW: a link in the directory's place is refused, not followed.
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status;
    if (fd < 0) {
        const int error = errno;
        if ((error != ELOOP && error != ENOTDIR) ||
            ::fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return OwnDirectory::Failed(path, error);
    } else if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return OwnDirectory::Failed(path, error);
    }
    OwnDirectory directory;
    if (fd >= 0 && status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0) {
        directory.fd_ = fd;
        return directory;
    }
    if (fd >= 0) ::close(fd);
    directory.error_ = ERROR_ACCESS_DENIED;
    directory.why_ = Refusal(path, status);
    return directory;
}

OwnDirectory OpenOwnDirectory(const std::string &path, bool make) {
    // With a trailing slash a link in the last place would be followed.
    const std::string directory = WithoutTrailingSlashes(path);
    // The missing parents are made with mode 0700 too.
    for (std::size_t slash = directory.find('/', 1); make && slash != std::string::npos;
         slash = directory.find('/', slash + 1)) {
        const std::string parent = directory.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST)
            return OwnDirectory::Failed(parent, errno);
    }
    return OpenOwnDirectory(AT_FDCWD, directory, directory, make);
}

}  // namespace plv::posix
