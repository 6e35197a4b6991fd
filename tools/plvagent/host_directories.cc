// The host's own directories, made and named with the standard library,
// which follows each system's conventions.
#include <filesystem>
#include <system_error>

#include "host_system.h"

namespace plvagent::host {

std::string AbsolutePath(const std::string &path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.lexically_normal().make_preferred().string();
}

bool MakeDirectories(const std::string &directory, std::string *why) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) *why = directory + ": " + error.message();
    return !error;
}

}  // namespace plvagent::host
