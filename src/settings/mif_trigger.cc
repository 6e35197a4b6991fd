#include "settings/mif_trigger.h"

#include <cstdio>
#include <cstring>

#include "core/library_state.h"
#include "platform/platform.h"
#include "settings/month_day_year.h"
#include "usage/usage_event.h"

namespace plv {
namespace {

MifTriggerState mifTrigger;

constexpr char kRegistryKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";
constexpr char kLastMifValue[] = "LastMIFDate";
constexpr char kGeneratorApp[] = "Pelvantine MIF Generator";
constexpr std::size_t kLastMifTextSize = 11;  // "MM/DD/YYYY" and its terminator

struct Period {
    std::int32_t days;      // a day period, or
    std::uint32_t months;   // a month period
};

Period PeriodOf(char frequency) {
    switch (frequency) {
        case 'W': return {7, 0};
        case 'B': return {14, 0};
        case 'M': return {0, 1};
        case 'I': return {0, 2};
        case 'Q': return {0, 3};
        case 'S': return {0, 6};
        case 'A': return {0, 12};
        default: return {1, 0};  // "D", and any letter not known
    }
}

std::int32_t DayNumber(const PLVDate &date) {
    return DateToJulianDay(date.month, date.day, date.year);
}

void AddMonths(std::uint32_t count, std::uint32_t *month, std::uint32_t *year) {
    *year += count / 12;
    *month += count % 12;
    if (*month > 12) {
        *month -= 12;
        *year += 1;
    }
}

void LogFailureOnce() {
    if (!mifTrigger.failureLogged) AddUsageEvent("MIF Generation Failed", kGeneratorApp, "");
    mifTrigger.failureLogged = true;
}

PLVDate Today() {
    WSDate now{};
    WinGetWSDate(&now);
    PLVDate today{};
    today.day = now.day;
    today.month = now.month;
    today.year = now.year;
    return today;
}

// Started minimised, neither waited for nor watched; its handles are not kept.
bool StartGenerator(const char *path, char *commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    // The full path as the application name: a blank in the home path must
    // not let the command line's first word name another program.
    if (!Os().CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                             nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread != nullptr) Os().CloseHandle(process.hThread);
    if (process.hProcess != nullptr) Os().CloseHandle(process.hProcess);
    return true;
}

}  // namespace

void ResetMifTriggerState() { mifTrigger = MifTriggerState{}; }

std::uint32_t CountMonthPeriods(const PLVDate &start, const PLVDate &date, std::uint32_t months) {
    const std::int32_t startDay = DayNumber(start);
    const std::int32_t dateDay = DayNumber(date);
    if (startDay == 0 || dateDay == 0 || dateDay < startDay || months == 0) return 0;

    // No month is longer than 31 days, so the estimate never overshoots.
    std::uint32_t count = static_cast<std::uint32_t>(dateDay - startDay) / 32 / months;
    std::uint32_t month = start.month;
    std::uint32_t year = start.year;
    AddMonths(count * months, &month, &year);
    for (;;) {
        AddMonths(months, &month, &year);
        ++count;
        // The day of the month stays the start's, even past a short month's end.
        const std::int32_t candidate = DateToJulianDay(static_cast<std::uint8_t>(month), start.day,
                                                       static_cast<std::uint16_t>(year));
        // A candidate past the day-number range (after 2045) lies after any date.
        if (candidate == 0 || candidate > dateDay) break;
    }
    return count - 1;
}

bool IsMIFDue(const PLVDate &start, const PLVDate &last, const PLVDate &today, char frequency) {
    if (last.month == 0) return true;
    const std::int32_t startDay = DayNumber(start);
    const std::int32_t lastDay = DayNumber(last);
    const std::int32_t todayDay = DayNumber(today);
    if (startDay == 0 || todayDay == 0) return false;
    if (todayDay < startDay) return false;
    if (lastDay < startDay) return true;  // an invalid last date counts as before the start
    if (todayDay < lastDay) return true;  // the clock was set back

    const Period period = PeriodOf(frequency);
    if (period.months != 0) {
        return CountMonthPeriods(start, today, period.months) >
               CountMonthPeriods(start, last, period.months);
    }
    return (todayDay - startDay) / period.days > (lastDay - startDay) / period.days;
}

PLVDate ReadLastMIFDate() {
    HKEY key = nullptr;
    if (Os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return PLVDate{};
    char text[kLastMifTextSize + 1] = {};
    DWORD size = kLastMifTextSize;
    const LSTATUS status = Os().RegQueryValueExA(key, kLastMifValue, nullptr, nullptr,
                                                 reinterpret_cast<LPBYTE>(text), &size);
    Os().RegCloseKey(key);
    return status == ERROR_SUCCESS ? ParseMonthDayYear(text) : PLVDate{};
}

void WriteLastMIFDate(const PLVDate &date) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (Os().RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_SET_VALUE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%02i/%02i/%04i", date.month, date.day, date.year);
    Os().RegSetValueExA(key, kLastMifValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
    Os().RegCloseKey(key);
}

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT int32_t PLVAPI GenerateMIFIfNeeded(void) {
    if (!OptionSet(PLV_OPT_SMS_OUTPUT)) return 0;
    const PLVDate last = ReadLastMIFDate();
    const PLVDate today = Today();
    const PLVDate start = Agent().smsStartDate;
    if (!IsMIFDue(start, last, today, static_cast<char>(Agent().smsFrequency))) return 0;

    char path[600];
    std::snprintf(path, sizeof path, "%s\\%s\\%s", Runtime().homePath, "SYSTEM", "PLVMIFG.EXE");
    char commandLine[700];
    // Quoted, so that a blank in the home path cannot shift the dates.
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" %04d%02d%02d %04d%02d%02d", path,
                  start.year, start.month, start.day, today.year, today.month, today.day);

    if (Os().GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ||
        !StartGenerator(path, commandLine)) {
        LogFailureOnce();
        return 0;
    }
    AddUsageEvent("MIF Generator Launched", kGeneratorApp, "");
    WriteLastMIFDate(today);
    return 1;
}
