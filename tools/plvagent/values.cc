#include "values.h"

#include <charconv>

#include "platform/ascii.h"
#include "plvlib32.h"

namespace plvagent {
namespace {

// The day number of 1 January 1980, the agent's day zero for file dates.
constexpr std::int32_t kFirstFileDay = 2444240;
constexpr std::uint32_t kSecondsPerDay = 86400;

bool AllDigits(const std::string &text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

}  // namespace

std::optional<std::uint32_t> ParseNumber(const std::string &text, std::uint32_t low,
                                         std::uint32_t high, std::string *why) {
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (!AllDigits(text) || error != std::errc{} || end != text.data() + text.size() ||
        number < low || number > high) {
        *why = "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        return std::nullopt;
    }
    return number;
}

std::optional<bool> ParseBoolean(const std::string &text, std::string *why) {
    const std::string word = plv::UpperAsciiText(text);
    if (word == "YES" || word == "TRUE" || word == "ON" || word == "1") return true;
    if (word == "NO" || word == "FALSE" || word == "OFF" || word == "0") return false;
    *why = "expected yes or no";
    return std::nullopt;
}

std::optional<std::uint16_t> ParseHex16(const std::string &text, std::string *why) {
    std::uint16_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
    if (text.empty() || text.size() > 4 || error != std::errc{} || end != text.data() + text.size()) {
        *why = "expected up to four hexadecimal digits, such as 0409";
        return std::nullopt;
    }
    return number;
}

std::optional<std::uint32_t> ParseFileDate(const std::string &text, std::string *why) {
    std::string digits = text;
    if (digits.size() == 10 && digits[4] == '-' && digits[7] == '-')
        digits = digits.substr(0, 4) + digits.substr(5, 2) + digits.substr(8, 2);
    if (digits.size() == 8 && AllDigits(digits)) {
        const int year = std::stoi(digits.substr(0, 4));
        const int month = std::stoi(digits.substr(4, 2));
        const int day = std::stoi(digits.substr(6, 2));
        // The day-number calculation would carry 30 February into March.
        const bool realDay = month >= 1 && month <= 12 && day <= DaysInMonth(year, month);
        const std::int32_t dayNumber = !realDay ? 0 : DateToJulianDay(static_cast<std::uint8_t>(month),
                                                       static_cast<std::uint8_t>(day),
                                                       static_cast<std::uint16_t>(year));
        if (dayNumber >= kFirstFileDay)
            return static_cast<std::uint32_t>(dayNumber - kFirstFileDay) * kSecondsPerDay;
    }
    *why = "expected a date from 1980-01-01 to 2045-12-31, written 1998-08-20 or 19980820";
    return std::nullopt;
}

std::vector<std::string> SplitList(const std::string &text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string item = Trimmed(text.substr(start, comma - start));
        if (!item.empty()) items.push_back(std::move(item));
        start = comma + 1;
    }
    return items;
}

std::string Trimmed(const std::string &text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace plvagent
