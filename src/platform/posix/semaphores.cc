// Named semaphores of count one whose unit the kernel gives back when the
// process holding it dies, so that a crashed agent never leaves the timer
// semaphore taken. Each name is a file in the runtime directory (an own
// directory, own_directories.h, which no other user can enter); on it a
// shared lock on byte 1 says "a process has this semaphore open" and an
// exclusive lock on byte 0 is the unit, taken. The locks belong to the open
// file description, which the process's handles of one name share: they
// are dropped when its last handle closes or the process ends.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "platform/posix/errors.h"
#include "platform/posix/handles.h"
#include "platform/posix/ofd_locks.h"
#include "platform/posix/own_directories.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

constexpr std::uint64_t kUnitByte = 0;
constexpr std::uint64_t kOpenByte = 1;
// Held while a process creates or opens the semaphore, so that two
// creators at once agree on which of them created it.
constexpr std::uint64_t kEntryGuard = 2;

// How often a wait with a time-out looks again.
constexpr auto kWaitStep = std::chrono::milliseconds(5);

// What this process knows of one name.
struct NamedSemaphore {
    std::string path;
    int fd = -1;
    bool held = false;  // this process holds the unit
    int handles = 0;
};

class SemaphoreObject final : public KernelObject {
  public:
    SemaphoreObject(NamedSemaphore *semaphore, DWORD access) : semaphore(semaphore), access(access) {}
    DWORD Close() override;
    NamedSemaphore *const semaphore;
    const DWORD access;
};

// By the path of the name's file, so that a name is one semaphore per
// runtime directory.
struct SemaphoreTable {
    std::mutex mutex;
    std::map<std::string, NamedSemaphore> byPath;
};

SemaphoreTable &Table() {
    static SemaphoreTable table;
    return table;
}

// Letters, digits, '.', '_' and '-' stand as they are; every other byte as %XX.
std::string FileNameOf(const std::string &name) {
    std::string file;
    for (unsigned char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '_' || c == '-';
        if (plain) {
            file += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            file += escaped;
        }
    }
    return file + ".sem";
}

struct Entered {
    int fd = -1;
    bool existed = false;
    bool held = false;
};

// Opens the name's file in the runtime directory and announces this
// process; with `create`, makes the semaphore when no process has it open,
// holding the unit from the start when the initial count is 0. 0 or the
// Win32 code.
DWORD Enter(const std::string &directoryPath, const std::string &fileName, bool create,
            LONG initialCount, Entered *entered) {
    const OwnDirectory directory = OpenOwnDirectory(directoryPath, create);
    if (directory.error() == ERROR_PATH_NOT_FOUND && !create) return ERROR_FILE_NOT_FOUND;
    if (directory.error() != ERROR_SUCCESS) return directory.error();
    const std::string path = directoryPath + "/" + fileName;
    const int fd = ::openat(directory.fd(), fileName.c_str(),
                            O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    if (fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorOf(errno, {FileOperation::Open, path});
    DWORD result = ERROR_SUCCESS;
    if (int error = WaitLock(fd, F_WRLCK, kEntryGuard, 1)) {
        result = Win32ErrorOf(error, {FileOperation::Lock, path});
    } else {
        bool existed = false;
        if (int error = FindConflict(fd, F_WRLCK, kOpenByte, 1, &existed)) {
            result = Win32ErrorOf(error, {FileOperation::Lock, path});
        } else if (!existed && !create) {
            result = ERROR_FILE_NOT_FOUND;
        } else if (int error = TryLock(fd, F_RDLCK, kOpenByte, 1)) {
            result = Win32ErrorOf(error, {FileOperation::Lock, path});
        } else {
            entered->existed = existed;
            entered->held = !existed && initialCount == 0 && TryLock(fd, F_WRLCK, kUnitByte, 1) == 0;
        }
        Unlock(fd, kEntryGuard, 1);
    }
    if (result != ERROR_SUCCESS) {
        ::close(fd);
        return result;
    }
    entered->fd = fd;
    return ERROR_SUCCESS;
}

HANDLE NewHandle(NamedSemaphore &semaphore, DWORD access) {
    ++semaphore.handles;
    return AddHandle(std::make_shared<SemaphoreObject>(&semaphore, access));
}

// Creates or opens; `create` false fails for a name no process has open.
HANDLE OpenNamed(LPCSTR name, bool create, LONG initialCount, DWORD access) {
    const std::string directory = RuntimeDirectory();
    const std::string fileName = FileNameOf(name);
    const std::string path = directory + "/" + fileName;
    std::lock_guard lock(Table().mutex);
    auto known = Table().byPath.find(path);
    if (known != Table().byPath.end()) {
        NativePlatform().SetLastError(create ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return NewHandle(known->second, access);
    }
    Entered entered;
    if (DWORD error = Enter(directory, fileName, create, initialCount, &entered)) {
        NativePlatform().SetLastError(error);
        return nullptr;
    }
    NamedSemaphore &semaphore = Table().byPath[path];
    semaphore = NamedSemaphore{path, entered.fd, entered.held, 0};
    NativePlatform().SetLastError(create && entered.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return NewHandle(semaphore, access);
}

DWORD SemaphoreObject::Close() {
    std::lock_guard lock(Table().mutex);
    if (--semaphore->handles == 0) {
        ::close(semaphore->fd);  // gives the unit back if held, and the name
        Table().byPath.erase(semaphore->path);
    }
    return ERROR_SUCCESS;
}

std::shared_ptr<SemaphoreObject> SemaphoreOf(HANDLE handle) {
    std::shared_ptr<SemaphoreObject> object = FindObjectOf<SemaphoreObject>(handle);
    if (!object) NativePlatform().SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// One attempt at the unit: 1 taken, 0 not free, -1 failed (last error set).
int TryTake(NamedSemaphore &semaphore) {
    if (semaphore.held) return 0;
    const int error = TryLock(semaphore.fd, F_WRLCK, kUnitByte, 1);
    if (error == 0) {
        semaphore.held = true;
        return 1;
    }
    if (error == EAGAIN || error == EACCES) return 0;
    NativePlatform().SetLastError(Win32ErrorOf(error, {FileOperation::Lock, {}}));
    return -1;
}

}  // namespace

std::string PrepareRuntimeDirectory() {
    const OwnDirectory directory = OpenOwnDirectory(RuntimeDirectory(), true);
    return directory.fd() < 0 ? "the runtime directory " + directory.why() : std::string();
}

HANDLE PosixPlatform::CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount,
                                       LPCSTR name) {
    // Only named semaphores of count one exist here.
    if (name == nullptr || *name == '\0' || maximumCount != 1 || initialCount < 0 ||
        initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return OpenNamed(name, true, initialCount, SEMAPHORE_ALL_ACCESS);
}

HANDLE PosixPlatform::OpenSemaphoreA(DWORD access, BOOL, LPCSTR name) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return OpenNamed(name, false, 0, access);
}

DWORD PosixPlatform::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    std::shared_ptr<SemaphoreObject> semaphore = SemaphoreOf(object);
    if (!semaphore) return WAIT_FAILED;
    if ((semaphore->access & SYNCHRONIZE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return WAIT_FAILED;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        {
            std::lock_guard lock(Table().mutex);
            const int taken = TryTake(*semaphore->semaphore);
            if (taken != 0) return taken > 0 ? WAIT_OBJECT_0 : WAIT_FAILED;
        }
        const auto now = std::chrono::steady_clock::now();
        if (milliseconds != INFINITE && now >= deadline) return WAIT_TIMEOUT;
        std::this_thread::sleep_for(milliseconds == INFINITE ? kWaitStep : std::min<std::chrono::nanoseconds>(kWaitStep, deadline - now));
    }
}

// Only the process that took the unit can give it back: for any other the
// count would pass its maximum of one.
BOOL PosixPlatform::ReleaseSemaphore(HANDLE semaphoreHandle, LONG releaseCount, LPLONG previousCount) {
    std::shared_ptr<SemaphoreObject> semaphore = SemaphoreOf(semaphoreHandle);
    if (!semaphore) return FALSE;
    if ((semaphore->access & SEMAPHORE_MODIFY_STATE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(Table().mutex);
    NamedSemaphore &named = *semaphore->semaphore;
    if (!named.held || releaseCount > 1) {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (int error = Unlock(named.fd, kUnitByte, 1)) {
        SetLastError(Win32ErrorOf(error, {FileOperation::Lock, {}}));
        return FALSE;
    }
    named.held = false;
    if (previousCount) *previousCount = 0;
    return TRUE;
}

}  // namespace plv::posix
