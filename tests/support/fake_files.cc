#include <algorithm>
#include <cstring>

#include "platform/file_time.h"
#include "support/fake_platform.h"

namespace plv::testing {
namespace {

std::string Parent(const std::string &path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string WithoutSlash(const std::string &path) {
    return (!path.empty() && path.back() == '\\') ? path.substr(0, path.size() - 1) : path;
}

bool Overlaps(std::uint64_t a, std::uint64_t aLength, std::uint64_t b, std::uint64_t bLength) {
    return a < b + bLength && b < a + aLength;
}

std::uint64_t Join(DWORD low, DWORD high) { return (std::uint64_t{high} << 32) | low; }

// What Windows tells of a name that is not there: whether its directory is.
DWORD MissingError(const FakePlatform::Files &files, const std::string &path) {
    return files.directories.count(Parent(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool NoCaseLess::operator()(const std::string &a, const std::string &b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return fold(x) < fold(y);
    });
}

namespace {
bool SamePath(const std::string &a, const std::string &b) {
    return !NoCaseLess{}(a, b) && !NoCaseLess{}(b, a);
}
}  // namespace

bool FakePlatform::Hit(Fault *fault) {
    if (fault == nullptr || fault->times == 0) return false;
    if (fault->times > 0) --fault->times;
    return true;
}

FakePlatform::OpenFile *FakePlatform::FindHandle(HANDLE handle) {
    auto found = handles_.find(handle);
    if (found != handles_.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

const FakePlatform::File *FakePlatform::FindFile(const std::string &path) const {
    auto found = files.files.find(path);
    return found == files.files.end() ? nullptr : &found->second;
}

void FakePlatform::LockByOtherProcess(const std::string &path, DWORD offset, DWORD length) {
    locks_.push_back({path, offset, length, nullptr});
}

void FakePlatform::ReleaseOtherProcessLocks() {
    std::erase_if(locks_, [](const Lock &lock) { return lock.owner == nullptr; });
}

HANDLE FakePlatform::CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                                 LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flagsAndAttributes,
                                 HANDLE) {
    const std::string path = name;
    files.journal.push_back("open " + path);
    if (path.rfind("\\\\.\\", 0) == 0) {  // a device
        auto device = devices.find(path);
        if (device == devices.end() || !device->second.present) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE handle = NewHandle();
        deviceHandles_[handle] = path;
        return handle;
    }
    auto fault = files.openFaults.find(path);
    if (fault != files.openFaults.end() && Hit(&fault->second)) {
        SetLastError(fault->second.error);
        return INVALID_HANDLE_VALUE;
    }
    // Sharing: every open handle must allow what this open asks, and vice
    // versa; an open without data access takes no part.
    constexpr DWORD kData = GENERIC_READ | GENERIC_WRITE;
    for (const auto &[handle, open] : handles_) {
        if (!SamePath(open.path, path) || (access & kData) == 0 || (open.access & kData) == 0)
            continue;
        const bool theyAllow = ((access & GENERIC_READ) == 0 || (open.shareMode & FILE_SHARE_READ)) &&
                               ((access & GENERIC_WRITE) == 0 || (open.shareMode & FILE_SHARE_WRITE));
        const bool weAllow = ((open.access & GENERIC_READ) == 0 || (shareMode & FILE_SHARE_READ)) &&
                             ((open.access & GENERIC_WRITE) == 0 || (shareMode & FILE_SHARE_WRITE));
        if (!theyAllow || !weAllow) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    const bool exists = files.files.count(path) != 0;
    if (!exists) {
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
            SetLastError(MissingError(files, path));
            return INVALID_HANDLE_VALUE;
        }
        if (files.directories.count(Parent(path)) == 0) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const DWORD attributes = flagsAndAttributes & 0xFFFF & ~FILE_ATTRIBUTE_NORMAL;
        files.files[path].attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    } else if (disposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    } else if ((files.files[path].attributes & FILE_ATTRIBUTE_READONLY) &&
               ((access & GENERIC_WRITE) || disposition == CREATE_ALWAYS ||
                disposition == TRUNCATE_EXISTING)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    } else if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
        files.files[path].data.clear();
    }
    HANDLE handle = NewHandle();
    handles_[handle] = OpenFile{path, access, shareMode, 0};
    SetLastError((exists && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS))
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return handle;
}

// The handle's file when it may read or write `length` bytes from its file
// pointer: opened for it, and no other handle's lock in the way.
FakePlatform::OpenFile *FakePlatform::Transferable(HANDLE file, DWORD access, DWORD length) {
    OpenFile *open = FindHandle(file);
    if (open == nullptr) return nullptr;
    if ((open->access & access) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    for (const Lock &lock : locks_) {
        if (lock.owner != file && SamePath(lock.path, open->path) &&
            Overlaps(lock.offset, lock.length, open->position, length)) {
            SetLastError(ERROR_LOCK_VIOLATION);
            return nullptr;
        }
    }
    return open;
}

BOOL FakePlatform::ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    if (read) *read = 0;
    OpenFile *open = Transferable(file, GENERIC_READ, toRead);
    if (open == nullptr) return FALSE;
    const std::string &data = files.files[open->path].data;
    const std::uint64_t available = open->position < data.size() ? data.size() - open->position : 0;
    const DWORD count = static_cast<DWORD>(std::min<std::uint64_t>(available, toRead));
    std::memcpy(buffer, data.data() + open->position, count);
    open->position += count;
    *read = count;
    return TRUE;
}

BOOL FakePlatform::WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                             LPOVERLAPPED) {
    if (written) *written = 0;
    OpenFile *open = Transferable(file, GENERIC_WRITE, toWrite);
    if (open == nullptr) return FALSE;
    DWORD count = toWrite;
    BOOL result = TRUE;
    auto fault = files.writeFaults.find(open->path);
    if (fault != files.writeFaults.end() && fault->second.times != 0) {
        if (fault->second.times > 0) --fault->second.times;
        count = std::min(count, fault->second.accepted);
        result = fault->second.result;
        if (!result) SetLastError(fault->second.error);
    }
    std::string &data = files.files[open->path].data;
    if (data.size() < open->position) data.resize(open->position, '\0');
    data.replace(open->position, std::min<std::uint64_t>(count, data.size() - open->position),
                 static_cast<const char *>(buffer), count);
    open->position += count;
    *written = count;
    files.journal.push_back("write " + open->path + " " + std::to_string(count));
    return result;
}

DWORD FakePlatform::SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    OpenFile *open = FindHandle(file);
    if (open == nullptr) return INVALID_SET_FILE_POINTER;
    auto fault = files.pointerFaults.find(open->path);
    if (fault != files.pointerFaults.end() && Hit(&fault->second)) {
        SetLastError(fault->second.error);
        return INVALID_SET_FILE_POINTER;
    }
    if (method > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t move = distanceHigh ? (std::int64_t{*distanceHigh} << 32) |
                                                 static_cast<std::uint32_t>(distance)
                                           : distance;
    const std::int64_t base = method == FILE_BEGIN     ? 0
                              : method == FILE_CURRENT ? static_cast<std::int64_t>(open->position)
                                                       : static_cast<std::int64_t>(files.files[open->path].data.size());
    if (base + move < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    open->position = static_cast<std::uint64_t>(base + move);
    if (distanceHigh) *distanceHigh = static_cast<LONG>(open->position >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(open->position);
}

BOOL FakePlatform::SetEndOfFile(HANDLE file) {
    OpenFile *open = Transferable(file, GENERIC_WRITE, 0);
    if (open == nullptr) return FALSE;
    files.files[open->path].data.resize(open->position);
    files.journal.push_back("truncate " + open->path + " " + std::to_string(open->position));
    return TRUE;
}

HANDLE FakePlatform::NewHandle() {
    HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    return handle;
}

BOOL FakePlatform::CloseHandle(HANDLE object) {
    if (CloseSemaphoreHandle(object)) return TRUE;
    if (auto device = deviceHandles_.find(object); device != deviceHandles_.end()) {
        files.journal.push_back("close " + device->second);
        deviceHandles_.erase(device);
        return TRUE;
    }
    OpenFile *open = FindHandle(object);
    if (open == nullptr) return FALSE;
    auto fault = files.closeFaults.find(open->path);
    if (fault != files.closeFaults.end() && Hit(&fault->second)) {
        files.journal.push_back("close-failed " + open->path);
        SetLastError(fault->second.error);
        return FALSE;
    }
    files.journal.push_back("close " + open->path);
    std::erase_if(locks_, [object](const Lock &lock) { return lock.owner == object; });
    handles_.erase(object);
    return TRUE;
}

// As on Windows, a file that is open, or read-only, stays.
BOOL FakePlatform::DeleteFileA(LPCSTR name) {
    files.journal.push_back(std::string("delete ") + name);
    const File *file = FindFile(name);
    if (file == nullptr) {
        SetLastError(MissingError(files, name));
        return FALSE;
    }
    const bool open = std::any_of(handles_.begin(), handles_.end(),
                                  [&](const auto &handle) { return SamePath(handle.second.path, name); });
    if (open || (file->attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(open ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    files.files.erase(name);
    return TRUE;
}

DWORD FakePlatform::GetFileAttributesA(LPCSTR name) {
    if (const File *file = FindFile(name)) return file->attributes;
    if (files.directories.count(WithoutSlash(name)))
        return FILE_ATTRIBUTE_DIRECTORY;
    SetLastError(MissingError(files, name));
    return INVALID_FILE_ATTRIBUTES;
}

BOOL FakePlatform::SetFileAttributesA(LPCSTR name, DWORD attributes) {
    auto found = files.files.find(name);
    if (found == files.files.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // FILE_ATTRIBUTE_NORMAL stands only alone.
    const DWORD kept = attributes & ~FILE_ATTRIBUTE_NORMAL;
    found->second.attributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    return TRUE;
}

BOOL FakePlatform::LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                            DWORD lengthHigh) {
    OpenFile *open = FindHandle(file);
    if (open == nullptr) return FALSE;
    const std::uint64_t offset = Join(offsetLow, offsetHigh), length = Join(lengthLow, lengthHigh);
    for (const Lock &lock : locks_) {
        if (SamePath(lock.path, open->path) && Overlaps(lock.offset, lock.length, offset, length)) {
            SetLastError(ERROR_LOCK_VIOLATION);
            return FALSE;
        }
    }
    locks_.push_back({open->path, offset, length, file});
    return TRUE;
}

BOOL FakePlatform::UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow,
                              DWORD lengthHigh) {
    const std::uint64_t offset = Join(offsetLow, offsetHigh), length = Join(lengthLow, lengthHigh);
    auto found = std::find_if(locks_.begin(), locks_.end(), [&](const Lock &lock) {
        return lock.owner == file && lock.offset == offset && lock.length == length;
    });
    if (found == locks_.end()) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    locks_.erase(found);
    return TRUE;
}

BOOL FakePlatform::GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS, LPVOID information) {
    const File *file = FindFile(name);
    if (file == nullptr) {
        SetLastError(MissingError(files, name));
        return FALSE;
    }
    auto *data = static_cast<WIN32_FILE_ATTRIBUTE_DATA *>(information);
    *data = WIN32_FILE_ATTRIBUTE_DATA{};
    data->dwFileAttributes = file->attributes;
    const std::uint64_t size = file->size.value_or(file->data.size());
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    data->ftLastWriteTime = FileTimeOfCalendarSeconds(file->modified);
    return TRUE;
}

DWORD FakePlatform::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    const File *file = FindFile(longPath);
    if (file == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::string result = file->shortPath.empty() ? std::string(longPath) : file->shortPath;
    if (result.size() >= size) return static_cast<DWORD>(result.size() + 1);
    std::memcpy(shortPath, result.c_str(), result.size() + 1);
    return static_cast<DWORD>(result.size());
}

UINT FakePlatform::GetDriveTypeA(LPCSTR rootPath) {
    auto found = files.driveTypes.find(rootPath);
    if (found != files.driveTypes.end()) return found->second;
    const std::string root = rootPath;
    return (root.size() == 3 && root[1] == ':' && root[2] == '\\') ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

}  // namespace plv::testing
