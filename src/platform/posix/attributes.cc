#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_time.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/errors.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

constexpr char kAttributeName[] = "user.DOSATTRIB";

// The value is the attribute word in hexadecimal ("0x22").
DWORD ParseStored(const char *text, ssize_t length) {
    if (length <= 0) return 0;
    const std::string value(text, static_cast<std::size_t>(length));
    return static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 16)) & kStoredAttributes;
}

DWORD StoredAttributesOf(const std::string &hostPath) {
    char text[32];
    return ParseStored(text, ::getxattr(hostPath.c_str(), kAttributeName, text, sizeof text));
}

std::string StoredText(DWORD attributes) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(attributes & kStoredAttributes));
    return text;
}

// A file without any of the kept bits carries no extended attribute.
int WriteStored(const std::string &hostPath, DWORD attributes) {
    if ((attributes & kStoredAttributes) == 0) {
        if (::removexattr(hostPath.c_str(), kAttributeName) != 0 && errno != ENODATA &&
            errno != ENOTSUP)
            return errno;
        return 0;
    }
    const std::string text = StoredText(attributes);
    return ::setxattr(hostPath.c_str(), kAttributeName, text.data(), text.size(), 0) == 0 ? 0 : errno;
}

}  // namespace

bool IsReadOnly(const struct stat &status) { return (status.st_mode & 0222) == 0; }

void StoreAttributes(int fd, DWORD attributes) {
    if ((attributes & kStoredAttributes) == 0) return;
    const std::string text = StoredText(attributes);
    ::fsetxattr(fd, kAttributeName, text.data(), text.size(), 0);
}

namespace {

// The status of the file a DOS path names; false with the last error set.
bool StatusOf(Platform &os, LPCSTR name, std::string *path, struct stat *status) {
    if (DWORD error = HostPathOf(name, path)) {
        os.SetLastError(error);
        return false;
    }
    if (::stat(path->c_str(), status) != 0) {
        SetLastErrorFromErrno({FileOperation::Attributes, *path});
        return false;
    }
    return true;
}

DWORD AttributesOf(const std::string &path, const struct stat &status) {
    DWORD attributes = StoredAttributesOf(path);
    if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (IsReadOnly(status)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

FILETIME FileTimeOf(const struct timespec &time) {
    return FileTimeOfTicks((time.tv_sec + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond +
                           time.tv_nsec / 100);
}

}  // namespace

DWORD PosixPlatform::GetFileAttributesA(LPCSTR name) {
    std::string path;
    struct stat status;
    if (!StatusOf(*this, name, &path, &status)) return INVALID_FILE_ATTRIBUTES;
    return AttributesOf(path, status);
}

BOOL PosixPlatform::GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information) {
    if (level != GetFileExInfoStandard || information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path;
    struct stat status;
    if (!StatusOf(*this, name, &path, &status)) return FALSE;
    auto *data = static_cast<WIN32_FILE_ATTRIBUTE_DATA *>(information);
    data->dwFileAttributes = AttributesOf(path, status);
    data->ftCreationTime = FileTimeOf(status.st_ctim);
    data->ftLastAccessTime = FileTimeOf(status.st_atim);
    data->ftLastWriteTime = FileTimeOf(status.st_mtim);
    const auto size = S_ISDIR(status.st_mode) ? std::uint64_t{0} : static_cast<std::uint64_t>(status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    return TRUE;
}

// Linux file systems keep no 8.3 aliases: the short form of an existing
// path is the path itself, as Windows answers where short names are off.
DWORD PosixPlatform::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    std::string path;
    struct stat status;
    if (longPath == nullptr || !StatusOf(*this, longPath, &path, &status)) return 0;
    const std::string result = longPath;  // copied first: the buffers may be one
    if (shortPath == nullptr || result.size() >= size) return static_cast<DWORD>(result.size() + 1);
    std::memcpy(shortPath, result.c_str(), result.size() + 1);
    return static_cast<DWORD>(result.size());
}

BOOL PosixPlatform::SetFileAttributesA(LPCSTR name, DWORD attributes) {
    std::string path;
    if (DWORD error = HostPathOf(name, &path)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        SetLastErrorFromErrno({FileOperation::Attributes, path});
        return FALSE;
    }
    if (!S_ISDIR(status.st_mode) && IsReadOnly(status) != ((attributes & FILE_ATTRIBUTE_READONLY) != 0)) {
        // Read-only takes every write bit away; writable gives the owner's back.
        const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (status.st_mode & ~0222)
                                                                   : (status.st_mode | S_IWUSR);
        if (::chmod(path.c_str(), mode & 07777) != 0) {
            SetLastErrorFromErrno({FileOperation::Attributes, path});
            return FALSE;
        }
    }
    if (int error = WriteStored(path, attributes)) {
        errno = error;
        SetLastErrorFromErrno({FileOperation::Attributes, path});
        return FALSE;
    }
    return TRUE;
}

}  // namespace plv::posix
