#include "usage/log_files.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/display.h"
#include "core/file_errors.h"
#include "core/library_state.h"
#include "platform/platform.h"
#include "usage/usage_event.h"

namespace plv {
namespace {

LogFileState logFiles;

constexpr std::uint16_t kRecordMarker = 280;
constexpr std::size_t kRecordHead = 8;
constexpr std::size_t kHeaderTextLimit = 64;

void PutWord(unsigned char *at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8);
}

std::uint32_t DestinationBit(LogDestination destination) {
    return destination == kSmsLog ? PLV_EVENT_WANTS_SMS_LOG : PLV_EVENT_WANTS_SHARED_LOG;
}

// Opens (or creates) the day's file for appending; a new file gets its
// header first, and is deleted when that fails, so no file lacks one.
HANDLE OpenLogFile(const std::string &path) {
    DWORD end = 0;
    HANDLE file = OpenSharedFileForAppend(path.c_str(), &end);
    if (file == nullptr || end != 0) return file;

    const char *text = Agent().logHeaderText;
    const auto length = static_cast<std::uint16_t>(strnlen(text, kHeaderTextLimit));
    std::vector<unsigned char> header(4 + length);
    PutWord(&header[0], 0);
    PutWord(&header[2], length);
    std::memcpy(&header[4], text, length);
    DWORD written = 0;
    if (!Os().WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
        written != header.size()) {
        SetFileError(path.c_str());
        Os().CloseHandle(file);
        Os().DeleteFileA(path.c_str());
        return nullptr;
    }
    return file;
}

bool WriteLogRecord(HANDLE file, const char *line) {
    const auto length = static_cast<std::uint16_t>(std::strlen(line));
    const std::uint16_t key = GetNewKey();
    std::vector<unsigned char> record(kRecordHead + length);
    record[0] = 0x0D;
    record[1] = 0x0A;
    PutWord(&record[2], kRecordMarker);
    PutWord(&record[4], key);
    PutWord(&record[6], length);
    std::memcpy(&record[kRecordHead], line, length);
    EncryptString(reinterpret_cast<char *>(&record[kRecordHead]), length, key);
    return AppendWhole(file, record.data(), static_cast<DWORD>(record.size()));
}

bool CloseLogFile(HANDLE file, LogDestination destination, const std::string &path) {
    const std::uint32_t attempts = destination == kSharedLog ? Agent().closeRetryCount + 1 : 1;
    const bool closed = CloseWithRetries(file, attempts);
    if (!closed) {
        Trace("Failed to close log file: handle = %d, path = %s",
              static_cast<int>(reinterpret_cast<std::intptr_t>(file)), path.c_str());
    }
    if (destination == kSmsLog) {
        Os().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL);
    }
    return closed;
}

// One pass over the pending events for one destination.
bool WriteEventsToLogs(const std::string &directory, LogDestination destination) {
    const std::uint32_t bit = DestinationBit(destination);
    HANDLE file = nullptr;
    std::string path;
    bool result = true;
    for (auto *node = static_cast<PLVUsageEventNode *>(Runtime().pendingEvents); node != nullptr;
         node = static_cast<PLVUsageEventNode *>(node->next)) {
        PLVUsageEvent &event = node->event;
        if ((event.flags & bit) == 0) continue;

        const std::string name = LogFileName(event.date);
        if (file != nullptr && name != logFiles.openLogName) {
            CloseLogFile(file, destination, path);
            file = nullptr;
        }
        if (file == nullptr) {
            path = directory + name;
            file = OpenLogFile(path);
            if (file == nullptr) {
                result = false;
                break;
            }
            LeftStr(logFiles.openLogName, name.c_str(), sizeof logFiles.openLogName - 1);
            Trace("%s: %s", "Log File", path.c_str());
        }

        char line[kMaxEventLine + 1];
        BuildEventString(&event, line);
        if (!WriteLogRecord(file, line)) {
            result = false;
            break;
        }
        Trace("%s: %s", "Log Write", line);
        event.flags &= ~bit;
    }
    if (file != nullptr) CloseLogFile(file, destination, path);
    return result;
}

void DropFinishedEvents() {
    auto *node = static_cast<PLVUsageEventNode *>(Runtime().pendingEvents);
    while (node != nullptr) {
        auto *next = static_cast<PLVUsageEventNode *>(node->next);
        if ((node->event.flags & (PLV_EVENT_WANTS_SMS_LOG | PLV_EVENT_WANTS_SHARED_LOG)) == 0) {
            PLVRemoveFromList(&Runtime().pendingEvents, node);
        }
        node = next;
    }
}

}  // namespace

void ResetLogFileState() { logFiles = LogFileState{}; }

std::string LogFileName(const char *eventDate) {
    // YYYY/MM/DD: characters 1-4, 6-7 and 9-10.
    return std::string(eventDate, 4) + std::string(eventDate + 5, 2) +
           std::string(eventDate + 8, 2) + ".LOG";
}

std::string SmsLogDirectory() {
    const DWORD size = Os().GetEnvironmentVariableA("PLVHPATH", nullptr, 0);
    // Unset, or set but empty, means the root of drive C.
    if (size <= 1) return "c:\\";
    std::string value(size, '\0');
    const DWORD length = Os().GetEnvironmentVariableA("PLVHPATH", value.data(), size);
    if (length == 0 || length >= size) return "c:\\";
    value.resize(length);
    if (value.back() != ':' && value.back() != '\\') value += '\\';
    return value;
}

}  // namespace plv

extern "C" PLV_EXPORT int32_t PLVAPI PLVUpdateLogs(void) {
    using namespace plv;
    bool result = true;
    if (usageEvents.sharedLogAttempts != 0) {
        char directory[300];
        std::snprintf(directory, sizeof directory, "%s\\LOGS\\", Runtime().homePath);
        if (!WriteEventsToLogs(directory, kSharedLog)) result = false;
        --usageEvents.sharedLogAttempts;
    }
    if (OptionSet(PLV_OPT_SMS_OUTPUT)) {
        if (!WriteEventsToLogs(SmsLogDirectory(), kSmsLog)) result = false;
    }
    DropFinishedEvents();
    return result ? 1 : 0;
}
