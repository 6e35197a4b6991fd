#include "log_paths.h"

#include <algorithm>
#include <system_error>

#include "log_time.h"
#include "platform/ascii.h"

namespace plv::logs {

std::optional<std::vector<std::filesystem::path>> FilesNamedBy(
    const std::filesystem::path &argument, const std::vector<std::string> &extensions,
    std::string *why) {
    std::error_code error;
    const auto status = std::filesystem::status(argument, error);
    if (error || !std::filesystem::exists(status)) {
        *why = error ? error.message() : "no such file or directory";
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(status)) return std::vector{argument};
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator entry(argument, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string extension = entry->path().extension().string();
        const bool wanted =
            std::any_of(extensions.begin(), extensions.end(),
                        [&](const std::string &e) { return plv::EqualNoCase(e, extension); });
        if (wanted && entry->is_regular_file(error)) files.push_back(entry->path());
    }
    if (error) {
        *why = error.message();
        return std::nullopt;
    }
    std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) {
        return a.filename().string() < b.filename().string();
    });
    return files;
}

std::optional<std::int64_t> DayOfFileName(const std::filesystem::path &file) {
    const std::string stem = file.stem().string();
    if (stem.size() != 8) return std::nullopt;
    return DayStart(stem.substr(0, 4) + '-' + stem.substr(4, 2) + '-' + stem.substr(6, 2));
}

}  // namespace plv::logs
