// Windows share modes between processes and machines. Every open that reads
// or writes announces itself with shared locks on four bytes beyond the
// data: "open for reading", "open for writing", "refuses readers", "refuses
// writers". An open then fails with a sharing violation when another open
// holds a byte that stands against it. The locks live with the open file
// description, so they vanish when the handle closes or its process dies,
// and network file systems pass them on to the server.
#include <fcntl.h>

#include "platform/posix/file_object.h"
#include "platform/posix/ofd_locks.h"

namespace plv::posix {
namespace {

constexpr std::uint64_t kOpenForReading = kShareLockBase + 0;
constexpr std::uint64_t kOpenForWriting = kShareLockBase + 1;
constexpr std::uint64_t kRefusesReaders = kShareLockBase + 2;
constexpr std::uint64_t kRefusesWriters = kShareLockBase + 3;
// Held while an open announces itself and checks, so two opens at once
// cannot both miss each other's announcement.
constexpr std::uint64_t kEntryGuard = kShareLockBase + 4;

struct Rule {
    bool applies;
    std::uint64_t announce;  // the byte this open holds
    std::uint64_t against;   // the byte no other open may hold
};

DWORD AnnounceAndCheck(int fd, DWORD access, DWORD shareMode, const ErrorContext &context) {
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    const Rule rules[] = {
        {reads, kOpenForReading, kRefusesReaders},
        {writes, kOpenForWriting, kRefusesWriters},
        {(shareMode & FILE_SHARE_READ) == 0, kRefusesReaders, kOpenForReading},
        {(shareMode & FILE_SHARE_WRITE) == 0, kRefusesWriters, kOpenForWriting},
    };
    for (const Rule &rule : rules) {
        if (!rule.applies) continue;
        if (int error = TryLock(fd, F_RDLCK, rule.announce, 1)) return Win32ErrorOf(error, context);
    }
    for (const Rule &rule : rules) {
        if (!rule.applies) continue;
        bool conflict = false;
        if (int error = FindConflict(fd, F_WRLCK, rule.against, 1, &conflict))
            return Win32ErrorOf(error, context);
        if (conflict) return ERROR_SHARING_VIOLATION;
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD EnterShareMode(int fd, int openMode, DWORD access, DWORD shareMode, bool remote) {
    // An open without data access neither refuses nor is refused, as on
    // Windows. A descriptor that may only write cannot hold shared locks;
    // such files (writable but unreadable) go without share modes.
    if ((access & (GENERIC_READ | GENERIC_WRITE)) == 0 || openMode == O_WRONLY) return 0;
    const ErrorContext context{FileOperation::Share, {}, remote};
    // Only a writable descriptor may hold the guard; a read-only one checks
    // after announcing, which can fail two racing opens but never admits both.
    const bool guarded = openMode == O_RDWR;
    if (guarded) {
        if (int error = WaitLock(fd, F_WRLCK, kEntryGuard, 1)) return Win32ErrorOf(error, context);
    }
    const DWORD result = AnnounceAndCheck(fd, access, shareMode, context);
    if (guarded) Unlock(fd, kEntryGuard, 1);
    return result;
}

bool IsOpenElsewhere(int fd) {
    bool conflict = false;
    return FindConflict(fd, F_WRLCK, kOpenForReading, 2, &conflict) == 0 && conflict;
}

}  // namespace plv::posix
