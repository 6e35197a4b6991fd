#include "tool_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/host_files.h"

extern char **environ;

namespace plv::testing {

ToolRun RunTool(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &directory) {
    const std::string outputPath = directory + "/.tool-output",
                      errorPath = directory + "/.tool-errors";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ToolRun run;
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return run;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = ReadHostFile(outputPath);
    run.errors = ReadHostFile(errorPath);
    unlink(outputPath.c_str());
    unlink(errorPath.c_str());
    return run;
}

}  // namespace plv::testing
