#include "usage/metered_apps.h"

#include <cstdio>
#include <cstring>

#include "core/library_state.h"
#include "platform/platform.h"
#include "usage/usage_event.h"

namespace plv {
namespace {

constexpr std::size_t kNameCapacity = sizeof(PLVMeteredApp::applicationName) - 1;

// The record already admitted for this process and thread, if any. DOS
// applications share their host process, so their records are never reused.
PLVMeteredApp *FindWindowsApp(DWORD processId, DWORD threadId) {
    for (auto *app = static_cast<PLVMeteredApp *>(Runtime().meteredApps); app != nullptr;
         app = static_cast<PLVMeteredApp *>(app->next)) {
        if (app->processId == processId && app->threadId == threadId &&
            (app->flags & PLV_APP_DOS) == 0)
            return app;
    }
    return nullptr;
}

// A number formatted into an event field, cut to the field's capacity.
template <std::size_t Width>
void FillNumber(char (&field)[Width], const char *format, auto value) {
    char text[24];
    std::snprintf(text, sizeof text, format, value);
    LeftStr(field, text, Width - 1);
}

}  // namespace

PLVMeteredApp *AuthorizeApp(HWND window, std::uint8_t dosApplication, const char *name) {
    DWORD processId = 0;
    const DWORD threadId = Os().GetWindowThreadProcessId(window, &processId);

    // Names are compared as the record holds them: cut to its field.
    char fitted[kNameCapacity + 1];
    LeftStr(fitted, name, kNameCapacity);

    if (dosApplication == 0) {
        if (PLVMeteredApp *found = FindWindowsApp(processId, threadId)) {
            if (std::strcmp(found->applicationName, fitted) != 0) {
                // A rename ends the old name and begins the new one; the
                // admission's date and time stay.
                AddUsageEvent("Terminated", found->applicationName, "");
                AddUsageEvent("Initiated", fitted, "");
                std::memcpy(found->applicationName, fitted, sizeof fitted);
            }
            return found;
        }
    }

    PLVMeteredApp record{};
    record.window = window;
    std::memcpy(record.applicationName, fitted, sizeof fitted);
    record.processId = processId;
    record.threadId = threadId;
    record.activityStatus = 'I';
    NetworkDateTime(&record.startDate, &record.startTime);
    record.updateInterval = Agent().updateInterval * 60;
    record.flags = PLV_APP_METERED | ((dosApplication & 1) != 0 ? PLV_APP_DOS : 0);

    AddUsageEvent("Initiated", fitted, "");
    return static_cast<PLVMeteredApp *>(
        PLVPrependToList(&Runtime().meteredApps, &record, sizeof record));
}

std::int16_t PLVRemoveApp(PLVMeteredApp *record) {
    if (record == nullptr) return 0;
    if ((record->flags & PLV_APP_METERED) != 0) {
        PLVUsageEvent event{};
        BuildEvent(record->applicationName, "Terminated", "", &event);
        FillNumber(event.count1, "%lu", static_cast<unsigned long>(record->counter1));
        FillNumber(event.count2, "%d", static_cast<int>(record->counter2));
        const WSDate startDate = record->startDate;
        const WSTime startTime = record->startTime;
        FormatEventDate(event.startDate, startDate);
        FormatEventTime(event.startTime, startTime);
        LogEvent(&event);
    }
    // Once unlinked and logged the record is ended, even when GlobalFree
    // refuses its block: reporting it kept would have it ended again, and
    // logged again, on every later try.
    if (PLVExtractFromList(&Runtime().meteredApps, record) == nullptr) return 0;
    PLVMemFree(record);
    return 1;
}

}  // namespace plv
