#include "def_line.h"

#include <charconv>
#include <vector>

namespace plv::logs {
namespace {

constexpr std::size_t kFieldCount = 15;
constexpr std::size_t kFieldsBeforeTitle = 9;
constexpr std::size_t kFieldsAfterTitle = 5;  // class, product, company, version, language

std::vector<std::string> Split(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(';', start)) != std::string::npos; start = at + 1)
        fields.push_back(line.substr(start, at - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool Digits(const std::string &text, std::size_t count) {
    return text.size() == count && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsClockTime(const std::string &text) {
    return text.size() == 8 && text[2] == ':' && text[5] == ':' &&
           Digits(text.substr(0, 2) + text.substr(3, 2) + text.substr(6, 2), 6);
}

std::optional<std::uint16_t> Language(const std::string &text) {
    std::uint16_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
    if (text.size() != 4 || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

}  // namespace

std::optional<RecordedDefinition> ParseDefLine(std::string line, std::string *why) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> f = Split(line);
    if (f.size() < kFieldCount) {
        *why = "has " + std::to_string(f.size()) + " fields, a definition line 15";
        return std::nullopt;
    }
    RecordedDefinition r;
    r.date = f[0];
    r.time = f[1];
    r.workstation = f[2];
    r.user = f[3];
    r.userContext = f[4];
    r.directory = f[5];
    r.fileName = f[6];
    r.fileDate = f[7];
    const std::size_t after = f.size() - kFieldsAfterTitle;
    for (std::size_t i = kFieldsBeforeTitle; i < after; ++i)
        r.title += (i > kFieldsBeforeTitle ? ";" : "") + f[i];
    r.windowClass = f[after];
    r.product = f[after + 1];
    r.company = f[after + 2];
    r.version = f[after + 3];

    // The size was written as a signed number: sizes from 2 GB on read negative.
    std::int64_t size = 0;
    const std::string &sizeText = f[8];
    const auto [end, error] =
        std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    const std::optional<std::uint16_t> language = Language(f.back());
    if (!Digits(r.date, 8) || !IsClockTime(r.time)) {
        *why = "does not begin with a recording date and time";
    } else if (!r.fileDate.empty() && !Digits(r.fileDate, 8)) {
        *why = "has a file date that is not YYYYMMDD: " + r.fileDate;
    } else if (sizeText.empty() || error != std::errc{} ||
               end != sizeText.data() + sizeText.size() || size < INT32_MIN || size > INT32_MAX) {
        *why = "has a file size that is no number: " + sizeText;
    } else if (!language) {
        *why = "does not end in a language of four hexadecimal digits";
    } else {
        r.fileSize = static_cast<std::uint32_t>(static_cast<std::int32_t>(size));
        r.language = *language;
        return r;
    }
    return std::nullopt;
}

}  // namespace plv::logs
