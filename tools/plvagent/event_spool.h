// The local spool of pending events: what the library still has to write
// to its logs, kept in the data directory so that a stop, a crash or a
// power cut loses none of it. One line per event: the logs it still wants
// ("shared", "sms" or "shared+sms"), a tab, and its event line, in which a
// control character or '%' is written %XX so that every event stays one
// line. At the next start the events go back on the pending list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plvagent {

struct SpooledEvent {
    std::uint32_t destinations = 0;  // the event flags' log bits
    std::string line;                // the event line
};

std::string SpoolText(const std::vector<SpooledEvent> &events);
// The events of a spool's text; each line that is none is named in bad.
std::vector<SpooledEvent> ParseSpool(const std::string &text, std::vector<std::string> *bad);

// The pending-event list as spooled events, those that want no log left
// out; and such events put back on the list (RebuildEvent, LogEvent) with
// the logs they still want. The number put back.
std::vector<SpooledEvent> PendingEvents(void *pendingHead);
std::size_t PutBackPending(const std::vector<SpooledEvent> &events);

class EventSpool {
  public:
    explicit EventSpool(std::string path) : path_(std::move(path)) {}

    const std::string &path() const { return path_; }

    // Reads the spool a previous run left; each line that is no event, or
    // the file's being unreadable, is named in bad.
    std::vector<SpooledEvent> Read(std::vector<std::string> *bad);
    // Makes the spool hold exactly these events (no file when there are
    // none); a write only when that changes what it holds. False, with the
    // reason, when it could not.
    bool Keep(const std::vector<SpooledEvent> &events, std::string *why);

  private:
    std::string path_;
    std::optional<std::string> kept_;  // what the file holds, once known
};

}  // namespace plvagent
