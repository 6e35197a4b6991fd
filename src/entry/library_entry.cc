#include "entry/library_entry.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/display.h"
#include "core/file_errors.h"
#include "core/library_state.h"
#include "monitor/app_filter.h"
#include "monitor/identification.h"
#include "monitor/metering_state.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "monitor/sixteen_bit_agent.h"
#include "monitor/timer_cycle.h"
#include "monitor/window_snapshot.h"
#include "platform/platform.h"
#include "settings/mif_trigger.h"
#include "settings/settings_refresh.h"
#include "time/network_time.h"
#include "time/time_services.h"
#include "usage/agent_events.h"
#include "usage/definition_files.h"
#include "usage/log_files.h"
#include "usage/scrambling.h"
#include "usage/usage_event.h"

namespace plv {
namespace {

constexpr char kModuleName[] = "PLVLIB32.DLL";
constexpr char kVersion[] = "2.8";
constexpr char kBuildDate[] = "Aug 20 1998";
constexpr char kBuildTime[] = "15:11:57";
constexpr char kBuildFlavour[] = "US";

// Display writes terminators over line feeds, so it gets a copy.
void DisplayCopy(const char *text) {
    std::string copy(text);
    Display(copy.data());
}

}  // namespace

void ResetLibraryState() {
    ResetCoreState();
    ResetDisplayState();
    ResetFileErrorState();
    ResetMeteringState();
    ResetIdentificationState();
    ResetProcessTableState();
    ResetFilterState();
    ResetWindowSnapshotState();
    ResetSixteenBitState();
    ResetTimerState();
    ResetTimeServiceState();
    ResetNetworkTimeState();
    ResetUsageEventState();
    ResetLogFileState();
    ResetScramblerState();
    ResetDefinitionFileState();
    ResetAgentEventState();
    ResetSettingsCheckState();
    ResetMifTriggerState();
}

BOOL LibraryEntry(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        ResetLibraryState();
        core.moduleInstance = instance;
    }
    return TRUE;
}

std::int32_t DetectPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!Os().GetVersionExA(&version)) return kPlatformUnknown;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return kPlatformWindows95;
    case VER_PLATFORM_WIN32_NT:
        return kPlatformNT;
    default:
        return kPlatformUnknown;
    }
}

}  // namespace plv

extern "C" PLV_EXPORT void PLVAPI InitializePLVLIB(PLVHWND hostWindow, PLVAgentState *agent,
                                                   const char *banner,
                                                   PLVHWND **activeWindowCell) {
    using namespace plv;
    core.hostWindow = static_cast<HWND>(hostWindow);
    core.agent = agent;

    core.activeWindow = nullptr;
    if (activeWindowCell != nullptr) *activeWindowCell = &core.activeWindow;

    core.networkFailure = false;
    core.shuttingDown = false;

    if (banner != nullptr) DisplayCopy(banner);

    char versionBanner[512];
    std::snprintf(versionBanner, sizeof versionBanner, "%s Version %s built on %s at %s, %s build",
                  kModuleName, kVersion, kBuildDate, kBuildTime, kBuildFlavour);
    Display(versionBanner);

    core.platformCode = DetectPlatform();
    core.ownProcessId = Os().GetCurrentProcessId();

    if (core.platformCode == kPlatformNT) StartSixteenBitAgent();
}
