// One agent per session, a session being the user's work on one display
// of one workstation: its name keys the lock that a second agent of the
// same session cannot take, and the spool of its pending events.
#pragma once

#include <string>

namespace plvagent {

// "ws017-0" for the display :0 (or :0.0) of workstation ws017; the host
// name alone without a display. Only letters, digits, '.', '-' and '_'.
std::string SessionName(const std::string &hostName, const std::string &display);

class SessionLock {
  public:
    SessionLock() = default;
    ~SessionLock();
    SessionLock(const SessionLock &) = delete;
    SessionLock &operator=(const SessionLock &) = delete;

    // Takes the session's lock in the directory and holds it as long as
    // this object (or the process) lives. False when another agent holds it
    // (*why names its process id) or the lock cannot be had (*why says why).
    bool Take(const std::string &directory, const std::string &session, std::string *why);

  private:
    int descriptor_ = -1;
};

}  // namespace plvagent
