// The host's own messages, one line each on the standard error, "plvagent: "
// first. Where the standard error is the system journal (the agent runs as
// a service), each line starts with its priority as the journal reads it,
// "<4>" for a warning, so that a warning shows as one.
#pragma once

#include <string>

namespace plvagent {

// The journal's priorities (syslog's numbers).
enum class Priority { kError = 3, kWarning = 4, kInfo = 6 };

// The line as written, without its line end.
std::string MessageLine(Priority priority, const std::string &text, bool toJournal);

// Something went wrong.
void Say(const std::string &text);
// The agent goes on, but an administrator should know: "warning: text".
void Warn(const std::string &text);
// What the agent does.
void Inform(const std::string &text);

}  // namespace plvagent
