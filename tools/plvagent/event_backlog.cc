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
    // A lost network is said once, not at every cycle that meets it again;
    // once nothing waits and no cycle meets it, the next loss is said anew.
    if (networkFailed_ && !networkReported_) {
        reports.push_back({Priority::kWarning, "network failure: " + share_ +
                                                   " cannot be reached (" +
                                                   ErrorText(static_cast<DWORD>(fileError)) +
                                                   "); metering goes on and tries again"});
        networkReported_ = true;
    } else if (!networkFailed_ && held == 0) {
        networkReported_ = false;
    }
    networkFailed_ = false;
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
