// Promoting unknown applications: the lines the library appends to the
// day's definition files (YYYYMMDD.DEF) become sections of the definitions
// file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plvagent {

// One line of a definition file, field by field.
struct RecordedDefinition {
    std::string date;  // YYYYMMDD
    std::string time;  // HH:MM:SS
    std::string workstation;
    std::string user;
    std::string userContext;
    std::string directory;
    std::string fileName;
    std::string fileDate;  // YYYYMMDD or empty
    std::uint32_t fileSize = 0;
    std::string title;
    std::string windowClass;
    std::string product;
    std::string company;
    std::string version;
    std::uint16_t language = 0;
};

// Nothing, with the reason, for a line that is not one of a definition file.
// A window title may hold the field separator: the fields on either side of
// it are found from both ends of the line.
std::optional<RecordedDefinition> ParseDefLine(std::string line, std::string *why);

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
