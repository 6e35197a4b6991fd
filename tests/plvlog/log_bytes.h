// Log files as the agent writes them, for the tests of their readers:
// scrambled with the library's own routine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plvlib32.h"

namespace plv::testing {

inline std::string LogHeaderBytes(const std::string &text = "Pelvantine usage log") {
    return std::string{'\0', '\0', static_cast<char>(text.size() & 0xFF),
                       static_cast<char>(text.size() >> 8)} +
           text;
}

inline std::string LogRecordBytes(const std::string &line, std::uint16_t key = 7) {
    std::string text = line;
    EncryptString(text.data(), static_cast<std::uint16_t>(text.size()), key);
    const auto length = static_cast<std::uint16_t>(line.size());
    return std::string{'\r',
                       '\n',
                       0x18,
                       0x01,
                       static_cast<char>(key & 0xFF),
                       static_cast<char>(key >> 8),
                       static_cast<char>(length & 0xFF),
                       static_cast<char>(length >> 8)} +
           text;
}

// The line of an application event: Initiated, or Terminated with the start.
inline std::string EventLine(const std::string &date, const std::string &time,
                             const std::string &workstation, const std::string &user,
                             const std::string &application, const std::string &event = "Initiated",
                             const std::string &startDate = "", const std::string &startTime = "",
                             const std::string &context = "SALES") {
    const bool ends = event == "Terminated" && !startDate.empty();
    return date + ';' + time + ';' + workstation + ';' + user + ';' + context + ";;" + application +
           ';' + event + ";;" + startDate + ';' + startTime + ';' + (ends ? "0" : "") + ';' +
           (ends ? "0" : "") + ';';
}

// A whole log of these lines, keys 1, 2, 3 ... in turn.
inline std::string LogBytes(const std::vector<std::string> &lines) {
    std::string bytes = LogHeaderBytes();
    for (std::size_t i = 0; i < lines.size(); ++i)
        bytes += LogRecordBytes(lines[i], static_cast<std::uint16_t>(i % 254 + 1));
    return bytes;
}

}  // namespace plv::testing
