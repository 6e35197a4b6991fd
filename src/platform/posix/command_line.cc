#include "platform/posix/command_line.h"

namespace plv::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program's name knows no escapes.
std::string FirstArgument(const std::string &line, std::size_t &at) {
    std::string argument;
    if (at < line.size() && line[at] == '"') {
        ++at;
        while (at < line.size() && line[at] != '"') argument += line[at++];
        if (at < line.size()) ++at;  // the closing quote
    } else {
        while (at < line.size() && !IsBlank(line[at])) argument += line[at++];
    }
    return argument;
}

// A run of quotes, counted as the runtime counts them: each quote moves the
// count on; the third in a row gives a literal quote and starts over; a run
// that ends on the second leaves the quoted part.
void TakeQuotes(const std::string &line, std::size_t &at, std::string &argument, bool &quoted) {
    int count = quoted ? 1 : 0;
    while (at < line.size() && line[at] == '"') {
        ++at;
        if (++count == 3) {
            argument += '"';
            count = 0;
        }
    }
    quoted = count == 1;
}

std::string NextArgument(const std::string &line, std::size_t &at) {
    std::string argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
        if (line[at] == '\\') {
            std::size_t backslashes = 0;
            while (at < line.size() && line[at] == '\\') {
                ++backslashes;
                ++at;
            }
            if (at < line.size() && line[at] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++at;
                }
            } else {
                argument.append(backslashes, '\\');
            }
        } else if (line[at] == '"') {
            TakeQuotes(line, at, argument, quoted);
        } else {
            argument += line[at++];
        }
    }
    return argument;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string &commandLine) {
    std::size_t at = 0;
    std::vector<std::string> arguments{FirstArgument(commandLine, at)};
    for (;;) {
        while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
        if (at >= commandLine.size()) return arguments;
        arguments.push_back(NextArgument(commandLine, at));
    }
}

}  // namespace plv::posix
