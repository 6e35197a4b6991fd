// An open file: the descriptor, what the opener asked for, and where the
// file lives.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/posix/errors.h"
#include "platform/posix/handles.h"

namespace plv::posix {

class FileObject final : public KernelObject {
  public:
    FileObject(int fd, std::string hostPath, DWORD access, bool remote, dev_t device, ino_t inode)
        : fd(fd), hostPath(std::move(hostPath)), access(access), remote(remote), device(device),
          inode(inode) {}
    ~FileObject() override;
    DWORD Close() override;

    ErrorContext Context(FileOperation operation) const { return {operation, hostPath, remote}; }

    int fd;
    const std::string hostPath;
    const DWORD access;  // GENERIC_READ and GENERIC_WRITE as asked
    const bool remote;
    const dev_t device;
    const ino_t inode;
    bool deleteOnClose = false;
};

// Byte-range locks (byte_locks.cc).
// Whether a lock of another handle, in this process or another, covers part
// of the range a read or write is about to touch: 0 or the Win32 code.
DWORD CheckRangeFree(const FileObject &file, std::uint64_t offset, std::uint64_t length,
                     bool writing);
// Forgets the locks of a file that is being closed.
void ForgetLocks(const FileObject &file);

// Share modes (share_modes.cc).
// Takes the locks that announce this open and checks that no other open of
// the file, anywhere, refuses it or is refused by it: 0 or the Win32 code.
// `openMode` is how the descriptor was opened (O_RDWR, O_RDONLY, O_WRONLY).
DWORD EnterShareMode(int fd, int openMode, DWORD access, DWORD shareMode, bool remote);
// Whether some open of the file, anywhere, reads or writes it.
bool IsOpenElsewhere(int fd);

}  // namespace plv::posix
