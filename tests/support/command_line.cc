#include "support/command_line.h"

#include <windows.h>

namespace plv::testing {
namespace {

std::string Quoted(const std::string &word) {
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote, and the quote, are escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // Those before the closing quote too.
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string> &words) {
    std::string line;
    for (const std::string &word : words) line += (line.empty() ? "" : " ") + Quoted(word);
    return line;
}

std::string ThisProgram() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string ThisProgramDirectory() {
    const std::string program = ThisProgram();
    return program.substr(0, program.find_last_of('\\'));
}

}  // namespace plv::testing
