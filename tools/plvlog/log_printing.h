// plvlog's work: the events of log files, printed as they are read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plv::logs {

enum class LogFormat {
    plain,  // the event lines as logged
    csv,    // the fourteen fields, UTF-8, under a header row naming them
    json,   // an array of objects keyed by the field names, UTF-8
};

struct PrintOptions {
    LogFormat format = LogFormat::plain;
    bool headers = false;              // each file's header text first (plain only)
    std::optional<std::int64_t> from;  // the first second of the first day wanted
    std::optional<std::int64_t> to;    // the first second of the last day wanted
};

enum class PrintResult {
    whole,       // every file read whole, and printed
    skipped,     // something of the files could not be read
    notWritten,  // the output could not be written whole
};

// Prints the events of every file named (a directory names its .LOG files),
// going on after a file that cannot be read and after damaged bytes; each
// problem is one line on `problems`.
PrintResult PrintLogs(const std::vector<std::string> &paths, const PrintOptions &options,
                      std::FILE *out, std::FILE *problems);

}  // namespace plv::logs
