#include "event_backlog.h"

#include "plvlib32.h"
#include "seam_files.h"

namespace plvagent {
namespace {

std::string Events(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " event" : " events");
}

}  // namespace

std::vector<Report> BacklogWatch::AfterCycle(std::size_t held, std::int32_t fileError) {
    std::vector<Report> reports;
    if (held_ == 0 && held > 0) {
        reports.push_back({Priority::kWarning, "the log files cannot be written (" +
                                                   ErrorText(static_cast<DWORD>(fileError)) +
                                                   "): holding " + Events(held) +
                                                   ", tried again every cycle"});
    } else if (held_ > 0 && held == 0) {
        reports.push_back({Priority::kInfo, "the log files are written again: no event is held"});
    } else if (held != held_) {
        reports.push_back({Priority::kWarning, "holding " + Events(held)});
    }
    held_ = held;
    return reports;
}

std::size_t HeldEvents(void *pendingHead) {
    std::size_t held = 0;
    for (auto *node = static_cast<PLVUsageEventNode *>(pendingHead); node != nullptr;
         node = static_cast<PLVUsageEventNode *>(node->next)) {
        if ((node->event.flags & (PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG)) != 0)
            ++held;
    }
    return held;
}

void RetrySharedLog() {
    // The record is built only for its side effect and never logged.
    PLVUsageEvent unused{};
    BuildEvent("Pelvantine", "Held events", "", &unused);
}

}  // namespace plvagent
