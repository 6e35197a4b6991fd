#include "support/helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

extern char **environ;

namespace plv::testing {

HelperProcess::HelperProcess(const std::string &role, const std::vector<std::string> &arguments) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::vector<std::string> words{"/proc/self/exe", "--helper", role};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int error = posix_spawn(&pid_, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    if (error != 0) throw std::runtime_error("posix_spawn failed");
    toHelper_ = input[1];
    fromHelper_ = ::fdopen(output[0], "r");
}

HelperProcess::~HelperProcess() {
    if (pid_ > 0) Kill();
    if (toHelper_ >= 0) ::close(toHelper_);
    if (fromHelper_) std::fclose(fromHelper_);
}

std::string HelperProcess::Ask(const std::string &command) {
    const std::string line = command + "\n";
    if (::write(toHelper_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return "(helper gone)";
    char answer[512];
    if (std::fgets(answer, sizeof answer, fromHelper_) == nullptr) return "(helper gone)";
    std::string text = answer;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void HelperProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
}

int HelperProcess::Wait() {
    if (pid_ <= 0) return -1;
    if (toHelper_ >= 0) {
        ::close(toHelper_);  // end of input tells a helper to finish
        toHelper_ = -1;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace plv::testing
