// Promoting unknown applications: the lines the library appends to the
// day's definition files (YYYYMMDD.DEF) become sections of the definitions
// file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "def_line.h"

namespace plvagent {

// The lines' reader is shared with the report tool.
using plv::logs::ParseDefLine;
using plv::logs::RecordedDefinition;

struct ImportOptions {
    bool exact = false;                 // also directory, size, date, version, language
    std::vector<std::string> programs;  // only these file names; empty: all
};

struct DefFile {
    std::string shownName;
    std::string content;
};

struct ImportResult {
    std::string sections;  // text to append to the definitions file
    std::vector<std::string> imported;
    std::vector<std::string> skipped;  // each with its reason
};

// Sections for the recorded applications not yet defined: one per program
// file name, named after the product (or the file name), never reusing a
// name of existingNames. existingFileNames are the file names defined.
ImportResult ImportDefinitions(const std::vector<DefFile> &files, const ImportOptions &options,
                               std::vector<std::string> existingNames,
                               std::vector<std::string> existingFileNames);

}  // namespace plvagent
