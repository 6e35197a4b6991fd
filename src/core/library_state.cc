#include "core/library_state.h"

#include "core/companions.h"
#include "core/display.h"
#include "core/file_errors.h"
#include "monitor/identification.h"
#include "monitor/process_scan.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "monitor/timer_cycle.h"
#include "monitor/window_snapshot.h"
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

CoreState core;

void ResetCoreState() { core = CoreState{}; }

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

}  // namespace plv
