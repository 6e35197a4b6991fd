// The usage records that log files in a directory hold, as tests read them.
// Linked with the log reader (plvlog_reader).
#pragma once

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "log_reader.h"
#include "support/host_files.h"

namespace plv::testing {

// An event line's fields, split at each ';'.
inline std::vector<std::string> SplitFields(const std::string &line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
    return fields;
}

struct LoggedRecord {
    std::string file;  // the log file's name
    std::vector<std::string> fields;
};

// Every record of the directory's .LOG files, the files in name (day) order.
// A file that is no sound log, or holds bytes of no whole record, is counted in
// `damaged` when it is given; its whole records are taken all the same.
inline std::vector<LoggedRecord> LoggedRecords(const std::string &directory,
                                               int *damaged = nullptr) {
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().extension() == ".LOG") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<LoggedRecord> records;
    for (const auto &file : files) {
        const auto log = logs::ParseLogFile(ReadHostFile(file.string()));
        if (damaged != nullptr && (!log || log->skippedBytes != 0)) ++*damaged;
        if (!log) continue;
        for (const auto &record : log->records)
            records.push_back({file.filename().string(), SplitFields(record.line)});
    }
    return records;
}

}  // namespace plv::testing
