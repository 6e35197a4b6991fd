#include "platform/posix/errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// A missing file is 2 when its directory exists and 3 when the directory
// is missing too.
DWORD MissingFileError(const std::string &hostPath) {
    const auto end = hostPath.find_last_not_of('/');
    const auto slash = end == std::string::npos ? std::string::npos : hostPath.rfind('/', end);
    const std::string directory = slash == std::string::npos ? std::string(".")
                                                             : hostPath.substr(0, slash == 0 ? 1 : slash);
    struct stat status;
    return (::stat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
               ? ERROR_FILE_NOT_FOUND
               : ERROR_PATH_NOT_FOUND;
}

// Errors that only a network file system gives: each becomes one of the
// codes the core counts as a network failure.
DWORD NetworkError(int error) {
    switch (error) {
    case ESTALE:
    case ENOLINK:
        return ERROR_NETNAME_DELETED;
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ECONNREFUSED:
        return ERROR_REM_NOT_LIST;
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return ERROR_VC_DISCONNECTED;
    case ENETDOWN:
        return ERROR_NO_NETWORK;
    case ENETUNREACH:
    case ENETRESET:
        return ERROR_BAD_NETPATH;
    case ETIMEDOUT:
    case EREMOTEIO:
    case ECOMM:
    case EPROTO:
        return ERROR_UNEXP_NET_ERR;
    default:
        return ERROR_SUCCESS;
    }
}

}  // namespace

DWORD Win32ErrorOf(int error, const ErrorContext &context) {
    if (DWORD network = NetworkError(error)) return network;
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        if (context.operation == FileOperation::Module) return ERROR_MOD_NOT_FOUND;
        return context.hostPath.empty() ? ERROR_FILE_NOT_FOUND : MissingFileError(context.hostPath);
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EAGAIN:
        // fcntl answers a refused lock with either.
        if (context.operation == FileOperation::Lock) return ERROR_LOCK_VIOLATION;
        if (context.operation == FileOperation::Share) return ERROR_SHARING_VIOLATION;
        return error == EACCES ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION;
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ETXTBSY:
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    case EEXIST:
        return context.operation == FileOperation::CreateNew ? ERROR_FILE_EXISTS
                                                             : ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return context.operation == FileOperation::Seek ? ERROR_NEGATIVE_SEEK
                                                        : ERROR_INVALID_PARAMETER;
    case ENOLCK:
        // A remote lock manager that does not answer is a network failure.
        return context.remote ? ERROR_UNEXP_NET_ERR : ERROR_SHARING_BUFFER_EXCEEDED;
    case EIO:
        return context.remote ? ERROR_UNEXP_NET_ERR : ERROR_IO_DEVICE;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
        return ERROR_NOT_READY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void SetLastErrorFromErrno(const ErrorContext &context) {
    const int error = errno;
    NativePlatform().SetLastError(Win32ErrorOf(error, context));
}

}  // namespace plv::posix
