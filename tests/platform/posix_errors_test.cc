// One translation of errno into Win32 codes, the operation giving context.
#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/posix/errors.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::TemporaryDirectory;

TEST(ErrnoTranslation, GivesTheCodesTheCoreTellsApart) {
    TemporaryDirectory directory;
    const std::string inExisting = directory / "missing.log";
    const std::string inMissing = directory / "nodir/missing.log";
    struct {
        int error;
        ErrorContext context;
        DWORD code;
    } const cases[] = {
        {ENOENT, {FileOperation::Open, inExisting}, ERROR_FILE_NOT_FOUND},
        {ENOENT, {FileOperation::Open, inMissing}, ERROR_PATH_NOT_FOUND},
        {ENOENT, {FileOperation::Delete, inMissing}, ERROR_PATH_NOT_FOUND},
        {ENOENT, {FileOperation::Module, inExisting}, ERROR_MOD_NOT_FOUND},
        {ENOTDIR, {FileOperation::Open, inExisting}, ERROR_PATH_NOT_FOUND},
        {EACCES, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EPERM, {FileOperation::Delete, inExisting}, ERROR_ACCESS_DENIED},
        {EROFS, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EISDIR, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EACCES, {FileOperation::Lock}, ERROR_LOCK_VIOLATION},
        {EAGAIN, {FileOperation::Lock}, ERROR_LOCK_VIOLATION},
        {EAGAIN, {FileOperation::Share}, ERROR_SHARING_VIOLATION},
        {ETXTBSY, {FileOperation::Open, inExisting}, ERROR_SHARING_VIOLATION},
        {EEXIST, {FileOperation::CreateNew, inExisting}, ERROR_FILE_EXISTS},
        {EEXIST, {FileOperation::Open, inExisting}, ERROR_ALREADY_EXISTS},
        {ENOSPC, {FileOperation::Write}, ERROR_DISK_FULL},
        {EDQUOT, {FileOperation::Write}, ERROR_DISK_FULL},
        {EBADF, {FileOperation::Read}, ERROR_INVALID_HANDLE},
        {EINVAL, {FileOperation::Seek}, ERROR_NEGATIVE_SEEK},
        {EINVAL, {FileOperation::Open}, ERROR_INVALID_PARAMETER},
        {EMFILE, {FileOperation::Open}, ERROR_TOO_MANY_OPEN_FILES},
        {ENAMETOOLONG, {FileOperation::Open}, ERROR_FILENAME_EXCED_RANGE},
        // Network file systems: each a code of the network class.
        {ESTALE, {FileOperation::Write, {}, true}, ERROR_NETNAME_DELETED},
        {EHOSTDOWN, {FileOperation::Open}, ERROR_REM_NOT_LIST},
        {EHOSTUNREACH, {FileOperation::Open}, ERROR_REM_NOT_LIST},
        {ENOTCONN, {FileOperation::Write}, ERROR_VC_DISCONNECTED},
        {ECONNRESET, {FileOperation::Read}, ERROR_VC_DISCONNECTED},
        {ETIMEDOUT, {FileOperation::Close}, ERROR_UNEXP_NET_ERR},
        {ENETDOWN, {FileOperation::Open}, ERROR_NO_NETWORK},
        {ENETUNREACH, {FileOperation::Open}, ERROR_BAD_NETPATH},
        {EIO, {FileOperation::Write, {}, true}, ERROR_UNEXP_NET_ERR},
        {EIO, {FileOperation::Write, {}, false}, ERROR_IO_DEVICE},
        {ENOLCK, {FileOperation::Lock, {}, true}, ERROR_UNEXP_NET_ERR},
        {ENOLCK, {FileOperation::Lock, {}, false}, ERROR_SHARING_BUFFER_EXCEEDED},
        {ENOTSUP, {FileOperation::Attributes}, ERROR_NOT_SUPPORTED},
        {0, {FileOperation::Open}, ERROR_SUCCESS},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Win32ErrorOf(c.error, c.context), c.code)
            << "errno " << c.error << " for " << c.context.hostPath;
    }
}

}  // namespace
}  // namespace plv::posix
