// The removal pass: applications of processes the scan no longer met are
// released with their "Terminated" events, and their entries dropped.
#include "monitor/process_removal.h"

#include <unordered_set>

#include "core/display.h"
#include "core/library_state.h"
#include "monitor/process_table.h"
#include "usage/metered_apps.h"

namespace plv {
namespace {

// The host process of Windows 95 DOS boxes.
constexpr char kDosBoxHost[] = "WINOA386.MOD";

void TraceNoLongerMonitored(HWND window) {
    Trace("Application no longer monitored: hWnd = %04x", HandleNumber(window));
}

// Every DOS program admitted through the DOS box's window ends with it. The
// entry may hold one of those records itself; it must not be released twice.
void ReleaseDosApplications(ProcessEntry *entry) {
    auto *record = static_cast<PLVMeteredApp *>(Runtime().meteredApps);
    while (record != nullptr) {
        auto *next = static_cast<PLVMeteredApp *>(record->next);
        if (record->window == entry->window && (record->flags & PLV_APP_DOS) != 0) {
            if (entry->meteredApp == record) entry->meteredApp = nullptr;
            PLVRemoveApp(record);
        }
        record = next;
    }
}

// A DOS box's entry holds only the box's latest DOS program; the earlier
// ones run on in the box, and belong to it as long as its entry lives.
bool InARunningDosBox(const PLVMeteredApp &record) {
    return (record.flags & PLV_APP_DOS) != 0 && FindEntry(record.processId, 0) != nullptr;
}

// Records whose process is gone from the table, for instance admitted by a
// hook notification for a process the scan never kept.
void ReleaseOrphanedRecords() {
    std::unordered_set<const PLVMeteredApp *> referenced;
    for (auto *entry = static_cast<ProcessEntry *>(processTable.head); entry != nullptr;
         entry = static_cast<ProcessEntry *>(entry->next)) {
        if (entry->meteredApp != nullptr) referenced.insert(entry->meteredApp);
    }
    auto *record = static_cast<PLVMeteredApp *>(Runtime().meteredApps);
    while (record != nullptr) {
        auto *next = static_cast<PLVMeteredApp *>(record->next);
        if (referenced.count(record) == 0 && !InARunningDosBox(*record)) {
            Trace("Not in process table: %s, HWND: %x, PID: %x, TID: %x", record->applicationName,
                  HandleNumber(record->window), record->processId, record->threadId);
            TraceNoLongerMonitored(static_cast<HWND>(record->window));
            PLVRemoveApp(record);
        }
        record = next;
    }
}

}  // namespace

void RemoveEndedProcesses() {
    if (EveryEntrySeen()) return;  // nothing ended
    bool removedAny = false;
    ProcessEntry *previous = nullptr;
    auto *entry = static_cast<ProcessEntry *>(processTable.head);
    while (entry != nullptr) {
        auto *next = static_cast<ProcessEntry *>(entry->next);
        if (SeenInThisScan(*entry)) {
            previous = entry;
            entry = next;
            continue;
        }
        Trace("Process removed");
        Trace("   Process: Title = %s, ID = %x, hWnd = %x", entry->title,
              DisplayId(entry->processId, entry->threadId), HandleNumber(entry->window));
        if (stristr(entry->programPath, kDosBoxHost) != nullptr) ReleaseDosApplications(entry);

        bool removed = false;
        if (entry->meteredApp == nullptr) {
            removed = RemoveEntry(previous, entry);
        } else if (PLVRemoveApp(entry->meteredApp) == 1) {
            TraceNoLongerMonitored(entry->window);
            removed = RemoveEntry(previous, entry);
        }
        // An entry whose release failed stays, and is retried on the next tick.
        if (removed) {
            removedAny = true;
        } else {
            previous = entry;
        }
        entry = next;
    }
    if (removedAny) ReleaseOrphanedRecords();
}

}  // namespace plv
