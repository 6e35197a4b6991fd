#include "log_reader.h"

#include "plvlib32.h"

namespace plv::logs {
namespace {

std::uint16_t WordAt(const std::string &bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

constexpr std::uint16_t kRecordMarker = 280;
constexpr std::size_t kRecordHead = 8;

}  // namespace

std::optional<LogFile> ParseLogFile(const std::string &bytes) {
    if (bytes.size() < 4 || WordAt(bytes, 0) != 0) return std::nullopt;
    const std::size_t headerLength = WordAt(bytes, 2);
    if (bytes.size() < 4 + headerLength) return std::nullopt;
    LogFile file;
    file.header = bytes.substr(4, headerLength);

    std::size_t at = 4 + headerLength;
    while (at + kRecordHead <= bytes.size()) {
        if (bytes[at] != '\r' || bytes[at + 1] != '\n' || WordAt(bytes, at + 2) != kRecordMarker) break;
        const std::uint16_t key = WordAt(bytes, at + 4);
        const std::size_t length = WordAt(bytes, at + 6);
        if (at + kRecordHead + length > bytes.size()) break;
        std::string line = bytes.substr(at + kRecordHead, length);
        DecryptString(line.data(), static_cast<std::uint16_t>(length), key);
        file.records.push_back({key, std::move(line)});
        at += kRecordHead + length;
    }
    file.trailingBytes = bytes.size() - at;
    return file;
}

}  // namespace plv::logs
