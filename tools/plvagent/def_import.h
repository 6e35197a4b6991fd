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
    std::uint32_t minWorkstations = 1;  // only programs recorded on at least this many
};

// A recorded application and where it was read, for the messages.
struct Candidate {
    std::string origin;
    RecordedDefinition recorded;
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
// name of existingNames. existingFileNames are the file names defined (or,
// of a definition by class, its class). The lines of the files are read
// first, then the candidates given.
//
// The library compares a FileName whole with the program's file name, but a
// definition line keeps only its first kRecordedFileNameRoom characters: a
// name that fills them (gnome-calcul of gnome-calculator, common on Linux)
// is promoted as a Class criterion instead, which the library meets when
// the window's class holds it, in any case, as an X client's class holds
// its program's name.
ImportResult ImportDefinitions(const std::vector<DefFile> &files, std::vector<Candidate> candidates,
                               const ImportOptions &options, std::vector<std::string> existingNames,
                               std::vector<std::string> existingFileNames);

inline constexpr std::size_t kRecordedFileNameRoom = 12;

}  // namespace plvagent
