// Reading a log file: its header and its records, each unscrambled with its
// own key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plv::logs {

struct LogRecord {
    std::uint16_t key = 0;
    std::string line;
};

struct LogFile {
    std::string header;
    std::vector<LogRecord> records;
    // Bytes after the last whole record (0 for a sound file).
    std::size_t trailingBytes = 0;
};

// Nothing when the bytes do not begin with a log header.
std::optional<LogFile> ParseLogFile(const std::string &bytes);

}  // namespace plv::logs
