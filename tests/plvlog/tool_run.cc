#include "tool_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/host_files.h"

extern char **environ;

namespace plv::testing {

bool Eventually(const std::function<bool()> &condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

ToolProcess::ToolProcess(const std::string &program, const std::vector<std::string> &arguments,
                         const std::string &directory, const std::vector<std::string> &environment)
    : outputPath_(directory + "/.tool-output"), errorPath_(directory + "/.tool-errors") {
    std::vector<std::string> words = {program}, entries = environment;
    words.insert(words.end(), arguments.begin(), arguments.end());
    for (char **entry = environ; *entry != nullptr; ++entry) entries.push_back(*entry);
    std::vector<char *> argv, envp;
    for (std::string &word : words) argv.push_back(word.data());
    for (std::string &entry : entries) envp.push_back(entry.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ToolProcess::~ToolProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

void ToolProcess::Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

std::optional<int> ToolProcess::Wait(std::chrono::milliseconds limit) {
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

std::string ToolProcess::Output() const { return ReadHostFile(outputPath_); }
std::string ToolProcess::Errors() const { return ReadHostFile(errorPath_); }

static ::testing::AssertionResult Comes(const std::string &path, const std::string &text) {
    if (Eventually([&] { return ReadHostFile(path).find(text) != std::string::npos; },
                   std::chrono::seconds(30)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << text << "\" in:\n" << ReadHostFile(path);
}
::testing::AssertionResult ToolProcess::Says(const std::string &text) const {
    return Comes(errorPath_, text);
}
::testing::AssertionResult ToolProcess::Prints(const std::string &text) const {
    return Comes(outputPath_, text);
}

ToolRun RunTool(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &directory) {
    ToolProcess process(program, arguments, directory);
    ToolRun run;
    run.status = process.Wait(std::chrono::minutes(10)).value_or(-1);
    run.output = process.Output();
    run.errors = process.Errors();
    unlink((directory + "/.tool-output").c_str());
    unlink((directory + "/.tool-errors").c_str());
    return run;
}

ToolRun RunToolOnAFullDisk(const std::string &program, const std::vector<std::string> &arguments,
                           const std::string &directory) {
    std::string command = "exec '" + program + "'";
    for (const std::string &argument : arguments) command += " '" + argument + "'";
    return RunTool("/bin/sh", {"-c", command + " >/dev/full"}, directory);
}

}  // namespace plv::testing
