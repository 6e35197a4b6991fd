#include "settings/settings_refresh.h"

#include "core/library_state.h"
#include "platform/ascii.h"
#include "platform/file_time.h"
#include "platform/platform.h"
#include "settings/month_day_year.h"

namespace plv {
namespace {

SettingsCheckState settingsCheck;

constexpr char kSection[] = "Pelvantine";

// The settings file's last modification, in calendar seconds.
bool ReadModificationTime(std::int64_t *modified) {
    WIN32_FILE_ATTRIBUTE_DATA status{};
    if (!Os().GetFileAttributesExA(Runtime().settingsFilePath, GetFileExInfoStandard, &status))
        return false;
    *modified = CalendarSecondsOf(status.ftLastWriteTime);
    return true;
}

void SetSmsOutput(bool on) {
    if (on) {
        Agent().optionFlags |= PLV_OPT_SMS_OUTPUT;
    } else {
        Agent().optionFlags &= ~PLV_OPT_SMS_OUTPUT;
    }
}

}  // namespace

void ResetSettingsCheckState() { settingsCheck = SettingsCheckState{}; }

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT int32_t PLVAPI CheckForPLVINIUpdate(void) {
    const std::int64_t now = Os().time();
    std::int64_t modified = 0;
    if (settingsCheck.checkInterval == 0) {
        settingsCheck.checkInterval = static_cast<std::int32_t>(Agent().updateInterval * 60);
        if (ReadModificationTime(&modified)) settingsCheck.lastModified = modified;
        settingsCheck.lastCheckTime = now;
        return 0;
    }
    if (now - settingsCheck.lastCheckTime < settingsCheck.checkInterval) return 0;

    settingsCheck.lastCheckTime = now;
    if (!ReadModificationTime(&modified)) {
        core.networkFailure = true;
        return 0;
    }
    if (modified == settingsCheck.lastModified) return 0;
    settingsCheck.lastModified = modified;
    return 1;
}

extern "C" PLV_EXPORT int32_t PLVAPI GetNewPLVINISettings(void) {
    Agent().refreshAction =
        Os().GetPrivateProfileIntA(kSection, "AgentRefreshAction", 0, Runtime().settingsFilePath);
    GetSMSSettings();
    return 1;
}

extern "C" PLV_EXPORT void PLVAPI GetSMSSettings(void) {
    const char *path = Runtime().settingsFilePath;
    char text[255];

    Os().GetPrivateProfileStringA(kSection, "SMSOutput", "NO", text, sizeof text, path);
    SetSmsOutput(EqualNoCase(text, "YES"));

    Os().GetPrivateProfileStringA(kSection, "SMSFrequency", "D", text, sizeof text, path);
    Agent().smsFrequency = static_cast<std::uint8_t>(UpperAscii(text[0]));

    char start[11];
    Os().GetPrivateProfileStringA(kSection, "SMSStart", "", start, sizeof start, path);
    const PLVDate date = start[0] != '\0' ? ParseMonthDayYear(start) : PLVDate{};
    Agent().smsStartDate = date;

    if (OptionSet(PLV_OPT_SMS_OUTPUT) && DateToJulianDay(date.month, date.day, date.year) == 0)
        SetSmsOutput(false);
}
