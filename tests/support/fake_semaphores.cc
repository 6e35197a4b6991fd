// Named semaphores over the shared machine. Only count-one semaphores exist,
// as on the Linux platform: a unit taken belongs to the process that took it.
#include "support/fake_platform.h"

namespace plv::testing {

HANDLE FakePlatform::CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount,
                                      LPCSTR name) {
    if (name == nullptr || maximumCount != 1 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto fault = semaphores.createFaults.find(name);
    if (fault != semaphores.createFaults.end() && Hit(&fault->second)) {
        semaphores.journal.push_back("create-failed " + std::string(name));
        SetLastError(fault->second.error);
        return nullptr;
    }
    FakeMachine::Semaphore &semaphore = machine->semaphores[name];
    const bool existed = semaphore.handles > 0;
    if (!existed) {
        semaphore = FakeMachine::Semaphore{initialCount, maximumCount, 0};
        // The units not given out at creation are the creator's.
        semaphoresHeld_[name] = maximumCount - initialCount;
    }
    ++semaphore.handles;
    HANDLE handle = NewHandle();
    semaphoreHandles_[handle] = name;
    semaphores.journal.push_back((existed ? "create-existing " : "create ") + std::string(name));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE FakePlatform::OpenSemaphoreA(DWORD, BOOL, LPCSTR name) {
    auto found = name ? machine->semaphores.find(name) : machine->semaphores.end();
    if (found == machine->semaphores.end() || found->second.handles == 0) {
        SetLastError(name ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ++found->second.handles;
    HANDLE handle = NewHandle();
    semaphoreHandles_[handle] = name;
    semaphores.journal.push_back("open " + std::string(name));
    return handle;
}

// Nothing else runs while a test calls in, so a unit not free now never
// becomes free: every wait that cannot take one times out at once.
DWORD FakePlatform::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    auto found = semaphoreHandles_.find(object);
    if (found == semaphoreHandles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const std::string &name = found->second;
    FakeMachine::Semaphore &semaphore = machine->semaphores[name];
    const bool taken = semaphore.count > 0;
    if (taken) {
        --semaphore.count;
        ++semaphoresHeld_[name];
    }
    semaphores.journal.push_back("wait " + name + " " + std::to_string(milliseconds) +
                                 (taken ? " taken" : " timeout"));
    return taken ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL FakePlatform::ReleaseSemaphore(HANDLE semaphoreHandle, LONG releaseCount,
                                    LPLONG previousCount) {
    auto found = semaphoreHandles_.find(semaphoreHandle);
    if (found == semaphoreHandles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::string &name = found->second;
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FakeMachine::Semaphore &semaphore = machine->semaphores[name];
    if (semaphoresHeld_[name] < releaseCount) {
        semaphores.journal.push_back("release-refused " + name);
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (previousCount) *previousCount = semaphore.count;
    semaphore.count += releaseCount;
    semaphoresHeld_[name] -= releaseCount;
    semaphores.journal.push_back("release " + name);
    return TRUE;
}

bool FakePlatform::CloseSemaphoreHandle(HANDLE handle) {
    auto found = semaphoreHandles_.find(handle);
    if (found == semaphoreHandles_.end()) return false;
    const std::string name = found->second;
    semaphoreHandles_.erase(found);
    FakeMachine::Semaphore &semaphore = machine->semaphores[name];
    --semaphore.handles;
    semaphores.journal.push_back("close " + name);
    for (const auto &[other, otherName] : semaphoreHandles_) {
        if (otherName == name) return true;
    }
    // The process's last handle: what it held comes back.
    semaphore.count += semaphoresHeld_[name];
    semaphoresHeld_.erase(name);
    if (semaphore.handles == 0) machine->semaphores.erase(name);
    return true;
}

void FakePlatform::EndProcess() {
    while (!semaphoreHandles_.empty()) CloseSemaphoreHandle(semaphoreHandles_.begin()->first);
    handles_.clear();
    std::erase_if(locks_, [](const Lock &lock) { return lock.owner != nullptr; });
    keyHandles_.clear();
}

}  // namespace plv::testing
