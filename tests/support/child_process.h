// A program started by a test or benchmark, ended when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace plv::testing {

class ChildProcess {
  public:
    // Starts the program (searched in PATH) with its output discarded. When
    // passFd is given, the child gets that descriptor as descriptor 3.
    // started() tells whether it could be started; once constructed, the
    // child runs the program, not a copy of the test.
    explicit ChildProcess(const std::vector<std::string> &arguments, int passFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void Signal(int signal) const;
    // Kills the process and waits until it has ended.
    void Kill();

  private:
    pid_t pid_ = -1;
};

}  // namespace plv::testing
