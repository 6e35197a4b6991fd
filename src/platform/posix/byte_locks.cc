// LockFile and UnlockFile with Windows semantics. Locks are exclusive and
// belong to the handle: a lock overlapping any other, even one of the same
// handle, fails with 33, and only a range locked exactly as given can be
// unlocked. A table per file keeps this process's locks so that these rules
// hold between its own handles; locks of open file descriptions carry them
// to other processes and, over network file systems, to other machines.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/posix/file_object.h"
#include "platform/posix/ofd_locks.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

struct LockedRange {
    const FileObject *owner;
    std::uint64_t offset;
    std::uint64_t length;
};

struct LockTable {
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, std::vector<LockedRange>> files;
};

LockTable &Locks() {
    static LockTable table;
    return table;
}

std::vector<LockedRange> &RangesOf(const FileObject &file) {
    return Locks().files[{file.device, file.inode}];
}

std::uint64_t Join(DWORD low, DWORD high) { return (std::uint64_t{high} << 32) | low; }

// The last byte of a non-empty range; ranges end at the top of the 64-bit space.
std::uint64_t Last(std::uint64_t offset, std::uint64_t length) {
    return length - 1 > UINT64_MAX - offset ? UINT64_MAX : offset + (length - 1);
}

// A zero-length range overlaps nothing.
bool Overlaps(std::uint64_t a, std::uint64_t aLength, std::uint64_t b, std::uint64_t bLength) {
    if (aLength == 0 || bLength == 0) return false;
    return a <= Last(b, bLength) && b <= Last(a, aLength);
}

// The part of a range below the share-mode bytes, as a kernel lock range.
std::uint64_t KernelLength(std::uint64_t offset, std::uint64_t length) {
    if (offset >= kShareLockBase) return 0;
    return std::min(length, kShareLockBase - offset);
}

// A read-only descriptor can only hold shared locks; they still keep
// writers and other lockers out.
short LockType(int fd) {
    return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
}

// What LockFile and UnlockFile both begin with: the handle's file (null,
// with the last error set, when the handle names none), the range as 64-bit
// numbers, and the lock table held for the rest of the call.
struct LockRequest {
    LockRequest(HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh)
        : file(FindObjectOf<FileObject>(handle)),
          offset(Join(offsetLow, offsetHigh)),
          length(Join(lengthLow, lengthHigh)),
          guard(Locks().mutex) {
        if (!file) NativePlatform().SetLastError(ERROR_INVALID_HANDLE);
    }
    std::shared_ptr<FileObject> file;
    std::uint64_t offset;
    std::uint64_t length;
    std::lock_guard<std::mutex> guard;
};

}  // namespace

DWORD CheckRangeFree(const FileObject &file, std::uint64_t offset, std::uint64_t length,
                     bool writing) {
    if (length == 0) return ERROR_SUCCESS;
    {
        std::lock_guard lock(Locks().mutex);
        auto found = Locks().files.find({file.device, file.inode});
        if (found != Locks().files.end()) {
            for (const LockedRange &range : found->second) {
                if (range.owner != &file && Overlaps(range.offset, range.length, offset, length))
                    return ERROR_LOCK_VIOLATION;
            }
        }
    }
    const std::uint64_t kernelLength = KernelLength(offset, length);
    if (kernelLength == 0) return ERROR_SUCCESS;
    bool conflict = false;
    if (int error = FindConflict(file.fd, writing ? F_WRLCK : F_RDLCK, offset, kernelLength, &conflict))
        return Win32ErrorOf(error, file.Context(FileOperation::Lock));
    return conflict ? ERROR_LOCK_VIOLATION : ERROR_SUCCESS;
}

void ForgetLocks(const FileObject &file) {
    std::lock_guard lock(Locks().mutex);
    auto found = Locks().files.find({file.device, file.inode});
    if (found == Locks().files.end()) return;
    std::erase_if(found->second, [&](const LockedRange &range) { return range.owner == &file; });
    if (found->second.empty()) Locks().files.erase(found);
}

BOOL PosixPlatform::LockFile(HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                             DWORD lengthHigh) {
    const LockRequest request(handle, offsetLow, offsetHigh, lengthLow, lengthHigh);
    if (!request.file) return FALSE;
    const auto &[file, offset, length, guard] = request;
    std::vector<LockedRange> &ranges = RangesOf(*file);
    for (const LockedRange &range : ranges) {
        if (Overlaps(range.offset, range.length, offset, length)) {
            SetLastError(ERROR_LOCK_VIOLATION);
            return FALSE;
        }
    }
    if (const std::uint64_t kernelLength = KernelLength(offset, length)) {
        if (int error = TryLock(file->fd, LockType(file->fd), offset, kernelLength)) {
            SetLastError(Win32ErrorOf(error, file->Context(FileOperation::Lock)));
            return FALSE;
        }
    }
    ranges.push_back({file.get(), offset, length});
    return TRUE;
}

BOOL PosixPlatform::UnlockFile(HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                               DWORD lengthHigh) {
    const LockRequest request(handle, offsetLow, offsetHigh, lengthLow, lengthHigh);
    if (!request.file) return FALSE;
    const auto &[file, offset, length, guard] = request;
    std::vector<LockedRange> &ranges = RangesOf(*file);
    auto found = std::find_if(ranges.begin(), ranges.end(), [&](const LockedRange &range) {
        return range.owner == file.get() && range.offset == offset && range.length == length;
    });
    if (found == ranges.end()) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (const std::uint64_t kernelLength = KernelLength(offset, length)) {
        if (int error = Unlock(file->fd, offset, kernelLength)) {
            SetLastError(Win32ErrorOf(error, file->Context(FileOperation::Lock)));
            return FALSE;
        }
    }
    ranges.erase(found);
    return TRUE;
}

}  // namespace plv::posix
