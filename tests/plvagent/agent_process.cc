#include "agent_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

#include "agent_test_files.h"

extern char **environ;

namespace plvagent::testing {

std::string AgentProgram() { return PLVAGENT_PROGRAM; }

::testing::AssertionResult ProcessListModuleIsBuilt() {
    const std::filesystem::path module = std::filesystem::path(AgentProgram()).parent_path() / "libplvntprl.so";
    if (std::filesystem::exists(module)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << module.string()
                                         << " is missing: without the process-list module the agent cannot meter";
}

AgentProcess::AgentProcess(const std::string &program, const std::vector<std::string> &arguments,
                           const std::string &directory, const std::vector<std::string> &environment)
    : outputPath_(directory + "/agent.out"), errorPath_(directory + "/agent.err") {
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    std::vector<std::string> entries = environment;
    for (char **entry = environ; *entry != nullptr; ++entry) entries.push_back(*entry);
    std::vector<char *> envp;
    for (std::string &entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

AgentProcess::~AgentProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

void AgentProcess::Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

std::optional<int> AgentProcess::Wait(std::chrono::milliseconds limit) {
    std::optional<int> status;
    Eventually(
        [&] {
            int raw = 0;
            if (pid_ <= 0 || ::waitpid(pid_, &raw, WNOHANG) != pid_) return false;
            pid_ = -1;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return true;
        },
        limit);
    return status;
}

std::string AgentProcess::Output() const { return ReadFile(outputPath_); }
std::string AgentProcess::Errors() const { return ReadFile(errorPath_); }

static ::testing::AssertionResult Comes(const std::string &path, const std::string &text) {
    if (Eventually([&] { return ReadFile(path).find(text) != std::string::npos; },
                   std::chrono::seconds(30)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << text << "\" in:\n" << ReadFile(path);
}
::testing::AssertionResult AgentProcess::Says(const std::string &text) const {
    return Comes(errorPath_, text);
}
::testing::AssertionResult AgentProcess::Prints(const std::string &text) const {
    return Comes(outputPath_, text);
}

bool Eventually(const std::function<bool()> &condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace plvagent::testing
