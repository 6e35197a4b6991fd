#include "messages.h"

#include <cstdio>

#include "host_system.h"

namespace plvagent {
namespace {

void Write(Priority priority, const std::string &text) {
    // Asked once: the standard error does not change while the agent runs.
    static const bool toJournal = host::StandardErrorIsJournal();
    std::fprintf(stderr, "%s\n", MessageLine(priority, text, toJournal).c_str());
}

}  // namespace

std::string MessageLine(Priority priority, const std::string &text, bool toJournal) {
    const std::string prefix =
        toJournal ? "<" + std::to_string(static_cast<int>(priority)) + ">" : std::string();
    const std::string kind = priority == Priority::kWarning ? "warning: " : "";
    return prefix + "plvagent: " + kind + text;
}

void Say(const std::string &text) { Write(Priority::kError, text); }
void Warn(const std::string &text) { Write(Priority::kWarning, text); }
void Inform(const std::string &text) { Write(Priority::kInfo, text); }

}  // namespace plvagent
