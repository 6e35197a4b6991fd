#include "support/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace plv::testing {

ChildProcess::ChildProcess(const std::vector<std::string> &arguments, int passFd) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
    // Where posix_spawn returns before the child's exec (as under user-mode
    // emulation of another width), a test could still see the forked copy
    // of itself; the child's exec closes its end of this pipe.
    int execSeen[2];
    const bool piped = ::pipe2(execSeen, O_CLOEXEC) == 0;
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    if (!piped) return;
    ::close(execSeen[1]);
    char ignored;
    while (::read(execSeen[0], &ignored, 1) < 0 && errno == EINTR) {
    }
    ::close(execSeen[0]);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace plv::testing
