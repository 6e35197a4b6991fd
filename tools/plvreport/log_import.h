// plvreport import: log and definition files into the report database,
// each file from where the last import stopped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store.h"

namespace plvreport {

struct ImportSummary {
    std::uint64_t newFiles = 0, grownFiles = 0, replacedFiles = 0, unchangedFiles = 0;
    std::uint64_t events = 0;           // log records read whole
    std::uint64_t definitionLines = 0;  // definition lines read whole
    std::uint64_t skippedRanges = 0, skippedBytes = 0;
    std::uint64_t unfinishedFiles =
        0;                         // files ending in part of a record or line, read again next time
    std::uint64_t unreadable = 0;  // paths and files that could not be read
};

class ImportListener {
  public:
    virtual ~ImportListener() = default;
    // A line about a skipped range, an unfinished end or an unreadable path.
    virtual void Problem(const std::string &line) = 0;
    // Bytes read so far of those the import has to read.
    virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;
};

// PATH is a file or a directory (its .LOG and .DEF files). A file known by
// its path is read from where the last import stopped; one that no longer
// begins as it did, or is shorter than what was read, is read anew in place
// of what it held.
ImportSummary Import(Store &store, const std::vector<std::string> &paths, ImportListener &listener);

}  // namespace plvreport
