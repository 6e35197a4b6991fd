// Tests that need a second process run this test binary again in a helper
// role: "<binary> --helper <role> <arguments...>". A helper reads commands
// from its standard input and answers each with one line.
#pragma once

#if !defined(_WIN32)
#include <sys/types.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

namespace plv::testing {

using HelperMain = int (*)(const std::vector<std::string> &arguments);

// Registers a role at start-up: `static HelperRole role("name", &Main);`
struct HelperRole {
    HelperRole(const char *name, HelperMain main);
};

// Runs the helper when the command line asks for one; the test main calls
// it first. False when the command line is an ordinary test run.
bool RunHelperIfAsked(int argc, char **argv, int *exitCode);

class HelperProcess {
  public:
    HelperProcess(const std::string &role, const std::vector<std::string> &arguments);
    ~HelperProcess();
    HelperProcess(const HelperProcess &) = delete;
    HelperProcess &operator=(const HelperProcess &) = delete;

    // Sends one command line and returns the helper's answer line.
    std::string Ask(const std::string &command);
    // Ends the helper at once, as a crash would, and waits for it.
    void Kill();
    // Waits for the helper to end; its exit status.
    int Wait();

  private:
#if defined(_WIN32)
    void *process_ = nullptr;     // HANDLEs: the helper, and the pipes'
    void *toHelper_ = nullptr;    // ends this process keeps
    void *fromHelper_ = nullptr;
#else
    pid_t pid_ = -1;
    int toHelper_ = -1;
    FILE *fromHelper_ = nullptr;
#endif
};

}  // namespace plv::testing
