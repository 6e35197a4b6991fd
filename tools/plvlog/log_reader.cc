#include "log_reader.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "plvlib32.h"

namespace plv::logs {
namespace {

constexpr std::uint16_t kRecordMarker = 280;
constexpr std::size_t kRecordHead = 8;
constexpr std::size_t kLongestLine = 422;
constexpr std::size_t kLongestRecord = kRecordHead + kLongestLine;
// The header the agent writes has at most 64 characters; a longer one is
// taken only when a record head follows it.
constexpr std::size_t kLongestPlainHeader = 64;
constexpr std::size_t kLongestHeader = 1024;
constexpr std::size_t kBufferSize = 1 << 20;
// Enough to take a record and to look for a record starting inside it.
constexpr std::size_t kLookahead = 2 * kLongestRecord;
constexpr char kRecordStart[] = {'\r', '\n', kRecordMarker & 0xFF, kRecordMarker >> 8};

std::uint16_t WordAt(const char *bytes) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                      (static_cast<unsigned char>(bytes[1]) << 8));
}

bool StartsRecord(const char *bytes) { return std::memcmp(bytes, kRecordStart, 4) == 0; }

}  // namespace

LogReader::LogReader(std::istream &in, std::uint64_t offset)
    : in_(in), buffer_(kBufferSize), base_(offset), headerDue_(offset == 0) {}

void LogReader::Fill() {
    std::memmove(buffer_.data(), buffer_.data() + at_, end_ - at_);
    base_ += at_;
    end_ -= at_;
    at_ = 0;
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (got < buffer_.size() - end_) atEndOfFile_ = true;
    end_ += got;
}

void LogReader::Ensure(std::size_t bytes) {
    if (!atEndOfFile_ && end_ - at_ < bytes) Fill();
}

bool LogReader::HeaderAt(LogItem &item) {
    headerDue_ = false;
    Ensure(4 + kLongestHeader + 4);
    const std::size_t available = end_ - at_;
    if (available < 4 || WordAt(&buffer_[at_]) != 0) return false;
    const std::size_t length = WordAt(&buffer_[at_ + 2]);
    const std::size_t end = 4 + length;
    if (length > kLongestHeader || end > available) return false;
    const bool recordFollows = (end == available && atEndOfFile_) ||
                               (end + 4 <= available && StartsRecord(&buffer_[at_ + end]));
    if (length > kLongestPlainHeader && !recordFollows) return false;
    item.kind = LogItem::Kind::header;
    item.offset = base_ + at_;
    item.length = end;
    item.text = std::string_view(&buffer_[at_ + 4], length);
    at_ += end;
    return true;
}

std::size_t LogReader::RecordAt(std::size_t at, char *text, EventLine &event) {
    if (end_ - at < kRecordHead || !StartsRecord(&buffer_[at])) return 0;
    const std::uint16_t key = WordAt(&buffer_[at + 4]);
    const std::size_t length = WordAt(&buffer_[at + 6]);
    if (key < 1 || key > 254 || length < 1 || length > kLongestLine) return 0;
    if (end_ - at < kRecordHead + length) return 0;
    std::memcpy(text, &buffer_[at + kRecordHead], length);
    DecryptString(text, static_cast<std::uint16_t>(length), key);
    const auto line = ReadEventLine(std::string_view(text, length));
    if (!line) return 0;
    event = *line;
    return kRecordHead + length;
}

std::size_t LogReader::TakenRecordAt(std::size_t at) {
    const std::size_t length = RecordAt(at, line_.data(), event_);
    if (length == 0) return 0;
    // A whole record starting inside this one means this one was cut off
    // and the next written over its end.
    EventLine inner;
    const char *const first = &buffer_[at + kRecordHead];
    const char *const last = &buffer_[at + length];
    for (const char *p = first; p < last; ++p) {
        p = static_cast<const char *>(std::memchr(p, '\r', static_cast<std::size_t>(last - p)));
        if (p == nullptr) break;
        const auto inside = static_cast<std::size_t>(p - buffer_.data());
        if (RecordAt(inside, scratch_.data(), inner) != 0) return 0;
    }
    return length;
}

std::size_t LogReader::NextCandidate(std::size_t from) const {
    const std::string_view bytes(buffer_.data() + from, end_ - from);
    const std::size_t found = bytes.find(std::string_view(kRecordStart, 4));
    if (found != std::string_view::npos) return from + found;
    // A record start may straddle the end of what is read so far.
    return atEndOfFile_ ? end_ : std::max(from, end_ - std::min<std::size_t>(end_, 3));
}

bool LogReader::Next(LogItem &item) {
    if (headerDue_ && HeaderAt(item)) return true;
    for (;;) {
        Ensure(kLookahead);
        if (at_ == end_ && atEndOfFile_) {
            if (!damageStart_) return false;
            item.kind = LogItem::Kind::unfinished;
            item.offset = *damageStart_;
            item.length = base_ + end_ - *damageStart_;
            damageStart_.reset();
            return true;
        }
        const std::size_t length = TakenRecordAt(at_);
        if (length != 0 && damageStart_) {
            // The record is taken again at the next call.
            item.kind = LogItem::Kind::skipped;
            item.offset = *damageStart_;
            item.length = base_ + at_ - *damageStart_;
            damageStart_.reset();
            return true;
        }
        if (length != 0) {
            item.kind = LogItem::Kind::record;
            item.offset = base_ + at_;
            item.length = length;
            item.text = std::string_view(line_.data(), length - kRecordHead);
            item.event = event_;
            at_ += length;
            return true;
        }
        if (!damageStart_) damageStart_ = base_ + at_;
        at_ = NextCandidate(at_ + 1);
    }
}

std::optional<LogFile> ParseLogFile(const std::string &bytes) {
    std::istringstream in(bytes);
    LogReader reader(in);
    LogItem item;
    if (!reader.Next(item) || item.kind != LogItem::Kind::header) return std::nullopt;
    LogFile file;
    file.header = std::string(item.text);
    while (reader.Next(item)) {
        if (item.kind == LogItem::Kind::record)
            file.records.push_back({std::string(item.text)});
        else
            file.skippedBytes += item.length;
    }
    return file;
}

}  // namespace plv::logs
