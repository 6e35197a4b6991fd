#include "platform/posix/ofd_locks.h"

#include <cerrno>

namespace plv::posix {
namespace {

int Control(int fd, int command, short type, std::uint64_t start, std::uint64_t length,
            struct flock *lock) {
    *lock = {};
    lock->l_type = type;
    lock->l_whence = SEEK_SET;
    lock->l_start = static_cast<off_t>(start);
    lock->l_len = static_cast<off_t>(length);
    while (::fcntl(fd, command, lock) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

}  // namespace

int TryLock(int fd, short type, std::uint64_t start, std::uint64_t length) {
    struct flock lock;
    return Control(fd, F_OFD_SETLK, type, start, length, &lock);
}

int WaitLock(int fd, short type, std::uint64_t start, std::uint64_t length) {
    struct flock lock;
    return Control(fd, F_OFD_SETLKW, type, start, length, &lock);
}

int Unlock(int fd, std::uint64_t start, std::uint64_t length) {
    struct flock lock;
    return Control(fd, F_OFD_SETLK, F_UNLCK, start, length, &lock);
}

int FindConflict(int fd, short type, std::uint64_t start, std::uint64_t length, bool *conflict) {
    struct flock lock;
    const int error = Control(fd, F_OFD_GETLK, type, start, length, &lock);
    *conflict = error == 0 && lock.l_type != F_UNLCK;
    return error;
}

}  // namespace plv::posix
