#include "event_spool.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "host_system.h"
#include "plvlib32.h"

namespace plvagent {
namespace {

constexpr char kHeading[] =
    "# plvagent pending events: the logs each still wants, a tab, its event line\n";
constexpr std::size_t kLineRoom = 423;  // the longest event line, 422, and its end
constexpr std::uint32_t kBothLogs = PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG;

struct Destinations {
    const char *word;
    std::uint32_t bits;
};
constexpr std::array kDestinations = {
    Destinations{"shared", PLV_EVENT_WANTS_SHARED_LOG},
    Destinations{"sms", PLV_EVENT_WANTS_SMS_LOG},
    Destinations{"shared+sms", kBothLogs},
};

bool Escaped(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%'; }

std::string Escape(const std::string &line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (Escaped(byte)) {
            text += '%';
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescape(const std::string &text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (Escaped(static_cast<unsigned char>(text[i]))) return std::nullopt;
            line += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) return std::nullopt;
        line += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return line;
}

std::optional<std::uint32_t> DestinationsNamed(const std::string &word) {
    for (const Destinations &destinations : kDestinations) {
        if (word == destinations.word) return destinations.bits;
    }
    return std::nullopt;
}

const char *DestinationsWord(std::uint32_t bits) {
    for (const Destinations &destinations : kDestinations) {
        if (destinations.bits == (bits & kBothLogs)) return destinations.word;
    }
    return "";
}

}  // namespace

std::string SpoolText(const std::vector<SpooledEvent> &events) {
    std::string text = kHeading;
    for (const SpooledEvent &event : events)
        text +=
            std::string(DestinationsWord(event.destinations)) + "\t" + Escape(event.line) + "\n";
    return text;
}

std::vector<SpooledEvent> ParseSpool(const std::string &text, std::vector<std::string> *bad) {
    std::vector<SpooledEvent> events;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const std::size_t tab = line.find('\t');
        const auto destinations =
            tab == std::string::npos ? std::nullopt : DestinationsNamed(line.substr(0, tab));
        const auto event = destinations ? Unescape(line.substr(tab + 1)) : std::nullopt;
        if (!event) {
            bad->push_back("line " + std::to_string(number) + " is no spooled event");
            continue;
        }
        events.push_back({*destinations, *event});
    }
    return events;
}

std::vector<SpooledEvent> PendingEvents(void *pendingHead) {
    std::vector<SpooledEvent> events;
    for (auto *node = static_cast<PLVUsageEventNode *>(pendingHead); node != nullptr;
         node = static_cast<PLVUsageEventNode *>(node->next)) {
        if ((node->event.flags & kBothLogs) == 0) continue;
        char line[kLineRoom];
        BuildEventString(&node->event, line);
        events.push_back({node->event.flags & kBothLogs, line});
    }
    return events;
}

std::size_t PutBackPending(const std::vector<SpooledEvent> &events) {
    std::size_t putBack = 0;
    for (const SpooledEvent &spooled : events) {
        PLVUsageEvent event{};
        RebuildEvent(spooled.line.c_str(), &event);
        // The logs it had reached before are not written again.
        event.flags = (event.flags & ~kBothLogs) | spooled.destinations;
        if (LogEvent(&event) != 0) ++putBack;
    }
    return putBack;
}

std::vector<SpooledEvent> EventSpool::Read(std::vector<std::string> *bad) {
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) {
        kept_ = SpoolText({});
        return {};
    }
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        bad->push_back("cannot be read");
        return {};
    }
    return ParseSpool(text.str(), bad);
}

bool EventSpool::Keep(const std::vector<SpooledEvent> &events, std::string *why) {
    const std::string text = SpoolText(events);
    if (kept_ == text) return true;
    if (events.empty()) {
        std::error_code error;
        std::filesystem::remove(path_, error);
        if (error) {
            *why = path_ + ": " + error.message();
            return false;
        }
    } else if (!host::MakeDirectories(std::filesystem::path(path_).parent_path().string(), why) ||
               !host::ReplaceFile(path_, text, why)) {
        return false;
    }
    kept_ = text;
    return true;
}

}  // namespace plvagent
