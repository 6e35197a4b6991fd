#include "entry/metering_startup.h"

#include "core/library_state.h"
#include "monitor/metering_state.h"
#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";

// Another process running the library may have created the semaphore; then
// it is opened instead.
HANDLE CreateTimerSemaphore() {
    HANDLE semaphore = Os().CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    if (semaphore == nullptr && Os().GetLastError() == ERROR_ALREADY_EXISTS)
        semaphore = Os().OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kTimerSemaphore);
    return semaphore;
}

}  // namespace

void LogInitializationFailure(const char *component) {
    PLVAddEvent("Initialization Failure", "Pelvantine", component);
}

}  // namespace plv

extern "C" PLV_EXPORT int32_t PLVAPI InitializeMetering(void) {
    using namespace plv;
    if (core.platformCode == kPlatformWindows95 && !StartWindows95Metering()) return 0;
    if (core.platformCode == kPlatformNT && !StartNTMetering()) return 0;

    metering.timerSemaphore = CreateTimerSemaphore();
    if (metering.timerSemaphore == nullptr) {
        LogInitializationFailure("Tm Semaphore");
        return 0;
    }
    return 1;
}
