// Reading a log file as a stream: its header, its records each unscrambled
// with its own key, and the byte ranges that hold no whole record, after
// which reading goes on at the next whole record.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "event_line.h"

namespace plv::logs {

struct LogItem {
    enum class Kind {
        header,      // the header text
        record,      // an event line
        skipped,     // bytes holding no whole record, a whole record after them
        unfinished,  // bytes at the end holding no whole record (yet)
    };
    Kind kind = Kind::record;
    std::uint64_t offset = 0;  // where it begins in the file
    std::uint64_t length = 0;  // its bytes in the file
    std::string_view text;     // the header text or the event line, until the next item is read
    EventLine event;           // a record's fields, views into `text`
};

// A record is taken only when its head is 0D 0A, the marker 280, a key from
// 1 to 254 and a length from 1 to 422, when its text unscrambles to an event
// line (event_line.h), and when its bytes hold the start of no other such
// record (they would be the head of a record cut off by the one written
// after it). Memory stays the same whatever the file's size.
class LogReader {
  public:
    // Reads `in` from its current position, which is `offset` in the file:
    // 0 for a file read from its start (header first), else the end of a
    // record or of a skipped range read before.
    explicit LogReader(std::istream &in, std::uint64_t offset = 0);

    // The next item; false at the end of the file.
    bool Next(LogItem &item);

  private:
    void Fill();
    void Ensure(std::size_t bytes);
    bool HeaderAt(LogItem &item);
    // The length of the record taken at `at`, 0 when there is none.
    std::size_t RecordAt(std::size_t at, char *text, EventLine &event);
    std::size_t TakenRecordAt(std::size_t at);
    std::size_t NextCandidate(std::size_t from) const;

    std::istream &in_;
    std::vector<char> buffer_;
    std::uint64_t base_;  // the file offset of buffer_[0]
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool atEndOfFile_ = false;
    bool headerDue_;
    std::optional<std::uint64_t> damageStart_;
    std::array<char, 422> line_{};
    std::array<char, 422> scratch_{};
    EventLine event_;
};

// A whole log file in memory, as tests read one.
struct LogRecord {
    std::string line;
};

struct LogFile {
    std::string header;
    std::vector<LogRecord> records;
    std::size_t skippedBytes = 0;  // in ranges that hold no whole record (0 for a sound file)
};

// Nothing when the bytes do not begin with a log header.
std::optional<LogFile> ParseLogFile(const std::string &bytes);

}  // namespace plv::logs
