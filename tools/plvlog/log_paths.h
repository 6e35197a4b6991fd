// The files the tools' path arguments name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plv::logs {

// A file itself, or the files of a directory whose names end in one of the
// extensions (".LOG", any case), in name order, which for the agent's
// YYYYMMDD files is date order. Nothing, with the reason, for a path that
// cannot be read.
std::optional<std::vector<std::filesystem::path>> FilesNamedBy(
    const std::filesystem::path &argument, const std::vector<std::string> &extensions,
    std::string *why);

// The first second of the day a file named YYYYMMDD.<extension> is for.
std::optional<std::int64_t> DayOfFileName(const std::filesystem::path &file);

}  // namespace plv::logs
