// Files of the system for the host's tests, and the agent's form of their
// paths.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace plvagent::testing {

inline void WriteFile(const std::string &path, const std::string &content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

}  // namespace plvagent::testing
