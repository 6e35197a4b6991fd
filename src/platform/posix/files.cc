// Files with Windows semantics: dispositions, access checked per handle,
// share modes between processes and machines, a file pointer per handle,
// and reads and writes refused where another handle holds a lock.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/dos_attributes.h"
#include "platform/posix/drives.h"
#include "platform/posix/file_object.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;  // less the umask, as for any new file

bool MayRetryNarrower(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY || error == EISDIR;
}

// Opens for reading and writing where the file allows it, so that every kind
// of lock can be taken whatever the caller asked for; else just as asked.
int OpenDescriptor(const std::string &path, int creation, DWORD access, mode_t mode, int *openMode) {
    const int flags = O_CLOEXEC | O_NOCTTY | creation;
    int fd = ::open(path.c_str(), O_RDWR | flags, mode);
    if (fd >= 0) {
        *openMode = O_RDWR;
        return fd;
    }
    const int asked = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY)
                                               : O_RDONLY;
    if (asked == O_RDWR || !MayRetryNarrower(errno)) return -1;
    fd = ::open(path.c_str(), asked | flags, mode);
    if (fd >= 0) *openMode = asked;
    return fd;
}

struct Opening {
    int fd = -1;
    int openMode = O_RDONLY;
    bool existed = false;
};

// Opens by disposition without truncating: truncation waits until the share
// mode has admitted this open. Fails with errno set.
bool OpenByDisposition(const std::string &path, DWORD access, DWORD disposition, mode_t mode,
                       Opening *opening, FileOperation *operation) {
    *operation = FileOperation::Open;
    if (disposition == CREATE_NEW) {
        *operation = FileOperation::CreateNew;
        opening->fd = OpenDescriptor(path, O_CREAT | O_EXCL, access, mode, &opening->openMode);
        return opening->fd >= 0;
    }
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
        opening->fd = OpenDescriptor(path, 0, access, mode, &opening->openMode);
        opening->existed = true;
        return opening->fd >= 0;
    }
    // OPEN_ALWAYS and CREATE_ALWAYS tell whether the file was there, even
    // when another process creates or deletes it meanwhile.
    for (;;) {
        opening->fd = OpenDescriptor(path, 0, access, mode, &opening->openMode);
        if (opening->fd >= 0 || errno != ENOENT) {
            opening->existed = true;
            return opening->fd >= 0;
        }
        opening->fd = OpenDescriptor(path, O_CREAT | O_EXCL, access, mode, &opening->openMode);
        if (opening->fd >= 0 || errno != EEXIST) {
            opening->existed = false;
            return opening->fd >= 0;
        }
    }
}

HANDLE Fail(int fd, DWORD error) {
    if (fd >= 0) ::close(fd);
    NativePlatform().SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
    std::shared_ptr<FileObject> file = FindObjectOf<FileObject>(handle);
    if (!file) NativePlatform().SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// What a read or write checks before it moves bytes: its arguments, the
// handle's access, and that no other handle's lock covers the range from the
// file pointer on. Null, with the last error set, when one fails.
std::shared_ptr<FileObject> FileForTransfer(HANDLE handle, const void *buffer, DWORD length,
                                            LPOVERLAPPED overlapped, DWORD access) {
    if (overlapped != nullptr || (buffer == nullptr && length > 0)) {
        NativePlatform().SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file) return nullptr;
    if ((file->access & access) == 0) {
        NativePlatform().SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const off_t position = ::lseek(file->fd, 0, SEEK_CUR);
    const bool writing = access == GENERIC_WRITE;
    if (DWORD error =
            CheckRangeFree(*file, static_cast<std::uint64_t>(position), length, writing)) {
        NativePlatform().SetLastError(error);
        return nullptr;
    }
    return file;
}

}  // namespace

FileObject::~FileObject() {
    if (fd >= 0) ::close(fd);
}

DWORD FileObject::Close() {
    ForgetLocks(*this);
    if (deleteOnClose) ::unlink(hostPath.c_str());
    const int closing = fd;
    fd = -1;
    // Linux releases the descriptor even when close reports an error (a
    // write-back that failed on a network file system): the error is told,
    // the handle is gone.
    if (::close(closing) != 0 && errno != EINTR) return Win32ErrorOf(errno, Context(FileOperation::Close));
    return ERROR_SUCCESS;
}

HANDLE PosixPlatform::CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES, DWORD disposition,
                                  DWORD flagsAndAttributes, HANDLE) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return Fail(-1, ERROR_INVALID_PARAMETER);
    std::string path;
    if (DWORD error = HostPathOf(name, &path)) return Fail(-1, error);

    const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? (kNewFileMode & ~0222)
                                                                       : kNewFileMode;
    Opening opening;
    FileOperation operation;
    if (!OpenByDisposition(path, access, disposition, mode, &opening, &operation)) {
        const int error = errno;
        return Fail(-1, Win32ErrorOf(error, {operation, path}));
    }
    struct stat status;
    if (::fstat(opening.fd, &status) != 0) return Fail(opening.fd, Win32ErrorOf(errno, {FileOperation::Open, path}));
    // A directory is no file; an existing read-only file takes no writer.
    const bool truncates = opening.existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (S_ISDIR(status.st_mode) ||
        (opening.existed && IsReadOnly(status) && ((access & GENERIC_WRITE) || truncates)))
        return Fail(opening.fd, ERROR_ACCESS_DENIED);

    const bool remote = IsRemote(opening.fd);
    if (DWORD error = EnterShareMode(opening.fd, opening.openMode, access, shareMode, remote))
        return Fail(opening.fd, error);
    if (truncates && ::ftruncate(opening.fd, 0) != 0)
        return Fail(opening.fd, Win32ErrorOf(errno, {FileOperation::Truncate, path, remote}));
    if (!opening.existed) StoreAttributes(opening.fd, flagsAndAttributes);

    auto file = std::make_shared<FileObject>(opening.fd, path, access, remote, status.st_dev,
                                             status.st_ino);
    file->deleteOnClose = (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    HANDLE handle = AddHandle(file);
    const bool reportsExisting = opening.existed && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL PosixPlatform::ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                             LPOVERLAPPED overlapped) {
    if (read) *read = 0;
    std::shared_ptr<FileObject> file =
        FileForTransfer(handle, buffer, toRead, overlapped, GENERIC_READ);
    if (!file) return FALSE;
    DWORD done = 0;
    while (done < toRead) {
        const ssize_t count = ::read(file->fd, static_cast<char *>(buffer) + done, toRead - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            SetLastErrorFromErrno(file->Context(FileOperation::Read));
            if (read) *read = done;
            return FALSE;
        }
        if (count == 0) break;  // end of file
        done += static_cast<DWORD>(count);
    }
    if (read) *read = done;
    return TRUE;
}

BOOL PosixPlatform::WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                              LPOVERLAPPED overlapped) {
    if (written) *written = 0;
    std::shared_ptr<FileObject> file =
        FileForTransfer(handle, buffer, toWrite, overlapped, GENERIC_WRITE);
    if (!file) return FALSE;
    DWORD done = 0;
    while (done < toWrite) {
        const ssize_t count = ::write(file->fd, static_cast<const char *>(buffer) + done, toWrite - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (count == 0) errno = ENOSPC;
            SetLastErrorFromErrno(file->Context(FileOperation::Write));
            if (written) *written = done;
            return FALSE;
        }
        done += static_cast<DWORD>(count);
    }
    if (written) *written = done;
    return TRUE;
}

DWORD PosixPlatform::SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file) return INVALID_SET_FILE_POINTER;
    // Without a high half the distance is a signed 32-bit number.
    const std::int64_t move = distanceHigh ? static_cast<std::int64_t>(
                                                 (std::uint64_t(std::uint32_t(*distanceHigh)) << 32) |
                                                 std::uint32_t(distance))
                                           : std::int64_t{distance};
    const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR
                       : method == FILE_END ? SEEK_END : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    // The end is asked of the file system each time: on a network file
    // system another machine may just have appended.
    const off_t base = whence == SEEK_SET ? 0 : ::lseek(file->fd, 0, whence);
    if (base < 0) {
        SetLastErrorFromErrno(file->Context(FileOperation::Seek));
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t target = static_cast<std::int64_t>(base) + move;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(file->fd, static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastErrorFromErrno(file->Context(FileOperation::Seek));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    // A position whose low half is 0xFFFFFFFF is told from a failure by this.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

BOOL PosixPlatform::SetEndOfFile(HANDLE handle) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file) return FALSE;
    if ((file->access & GENERIC_WRITE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const off_t position = ::lseek(file->fd, 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(file->fd, position) != 0) {
        SetLastErrorFromErrno(file->Context(FileOperation::Truncate));
        return FALSE;
    }
    return TRUE;
}

// As on Windows, a file that is open anywhere, or read-only, stays.
BOOL PosixPlatform::DeleteFileA(LPCSTR name) {
    std::string path;
    if (DWORD error = HostPathOf(name, &path)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        SetLastErrorFromErrno({FileOperation::Delete, path});
        return FALSE;
    }
    if (S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && IsReadOnly(status))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const int probe = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (probe >= 0) {
        const bool open = IsOpenElsewhere(probe);
        ::close(probe);
        if (open) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (::unlink(path.c_str()) != 0) {
        SetLastErrorFromErrno({FileOperation::Delete, path});
        return FALSE;
    }
    return TRUE;
}

}  // namespace plv::posix
