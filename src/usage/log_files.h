// The log writer: pending usage events appended, scrambled record by record,
// to the day's shared log and SMS log.
#pragma once

#include <string>

#include "platform/win32_api.h"

namespace plv {

struct LogFileState {
    char openLogName[13] = {};  // file name of the log file opened last
};

void ResetLogFileState();

enum LogDestination { kSmsLog = 1, kSharedLog = 2 };

// "YYYYMMDD.LOG" from an event's date field.
std::string LogFileName(const char *eventDate);

// The directory named by PLVHPATH, ending so a file name can follow.
std::string SmsLogDirectory();

}  // namespace plv
