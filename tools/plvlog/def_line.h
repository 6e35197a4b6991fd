// One line of a definition file (YYYYMMDD.DEF), which the library appends
// for each application no definition knows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plv::logs {

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

}  // namespace plv::logs
