// Programs are started with posix_spawn. The program is the application name
// when one is given, else the first argument of the command line; a name
// with a drive, a share or a separator is a DOS path, a bare name is looked
// for along PATH, as a shell does (Linux programs have no extension to add).
// The command line reaches the program split as Windows' C runtime would
// split it. STARTUPINFO's window state means nothing here; no handle is
// inherited (descriptors are close-on-exec), the standard streams are the
// caller's. Each new process is waited for in the background, so that none
// is left a zombie: on Windows a process that ends is gone.
#include <errno.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/command_line.h"
#include "platform/posix/errors.h"
#include "platform/posix/handles.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

extern char **environ;

namespace plv::posix {
namespace {

// What the handles of a started process and of its main thread stand for.
// Closing them leaves the process running, as on Windows.
class StartedProcess final : public KernelObject {
  public:
    DWORD Close() override { return ERROR_SUCCESS; }
};

struct Program {
    std::string path;  // a host path, or a bare name looked for along PATH
    bool searched = false;
};

bool NamesADosPath(const std::string &name) {
    return name.find_first_of("\\/:") != std::string::npos;
}

// A relative path is the caller's, not the child's working directory's.
std::string Absolute(const std::string &path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

DWORD ProgramOf(LPCSTR applicationName, const std::string &firstArgument, Program *program) {
    const std::string name = applicationName != nullptr ? applicationName : firstArgument;
    if (name.empty()) return ERROR_FILE_NOT_FOUND;
    if (applicationName == nullptr && !NamesADosPath(name)) {
        *program = {name, true};
        return ERROR_SUCCESS;
    }
    std::string hostPath;
    if (DWORD error = HostPathOf(name.c_str(), &hostPath)) return error;
    *program = {Absolute(hostPath), false};
    return ERROR_SUCCESS;
}

DWORD DirectoryOf(LPCSTR currentDirectory, std::string *directory) {
    if (DWORD error = HostPathOf(currentDirectory, directory)) return error;
    struct stat status;
    if (::stat(directory->c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return ERROR_DIRECTORY;
    return ERROR_SUCCESS;
}

// An environment block: "NAME=value" texts, each ended by a zero, the
// whole ended by one more.
std::vector<std::string> VariablesOf(const char *block) {
    std::vector<std::string> variables;
    for (const char *variable = block; *variable != '\0'; variable += std::strlen(variable) + 1)
        variables.emplace_back(variable);
    return variables;
}

std::vector<char *> Pointers(std::vector<std::string> &texts) {
    std::vector<char *> pointers;
    for (std::string &text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The nice value that stands for the priority class among the flags. Of
// several classes the lowest counts, as on Windows; none keeps the caller's.
std::optional<int> NiceOf(DWORD creationFlags) {
    constexpr std::pair<DWORD, int> kClasses[] = {
        {IDLE_PRIORITY_CLASS, 19},         {BELOW_NORMAL_PRIORITY_CLASS, 10},
        {NORMAL_PRIORITY_CLASS, 0},        {ABOVE_NORMAL_PRIORITY_CLASS, -5},
        {HIGH_PRIORITY_CLASS, -10},        {REALTIME_PRIORITY_CLASS, -20}};
    for (const auto &[priorityClass, nice] : kClasses) {
        if (creationFlags & priorityClass) return nice;
    }
    return std::nullopt;
}

// A priority above the caller's needs a privilege; without it the process
// keeps the caller's, as Windows lets a real-time request fall back.
void ApplyPriorityClass(pid_t process, DWORD creationFlags) {
    if (const auto nice = NiceOf(creationFlags))
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(process), *nice);
}

// Without a thread to spare the process still runs; it only stays a zombie
// once it ends.
void ReapWhenEnded(pid_t process) {
    try {
        std::thread([process] {
            while (::waitpid(process, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error &) {
    }
}

DWORD Spawn(const Program &program, std::vector<std::string> &arguments, LPVOID environment,
            const std::string &directory, pid_t *process) {
    std::vector<char *> argv = Pointers(arguments);
    std::vector<std::string> variables;
    if (environment != nullptr) variables = VariablesOf(static_cast<const char *>(environment));
    std::vector<char *> envp = Pointers(variables);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    // A program starts with no signal blocked, as a Windows process starts
    // afresh, whatever its starter holds back for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    char **childEnvironment = environment != nullptr ? envp.data() : environ;
    const int error = program.searched ? ::posix_spawnp(process, program.path.c_str(), &actions,
                                                        &attributes, argv.data(), childEnvironment)
                                       : ::posix_spawn(process, program.path.c_str(), &actions,
                                                       &attributes, argv.data(), childEnvironment);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error == 0) return ERROR_SUCCESS;
    return Win32ErrorOf(error, {FileOperation::Execute, program.searched ? std::string() : program.path});
}

}  // namespace

BOOL PosixPlatform::CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                   LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                   DWORD creationFlags, LPVOID environment,
                                   LPCSTR currentDirectory, LPSTARTUPINFOA,
                                   LPPROCESS_INFORMATION processInformation) {
    const bool hasCommandLine = commandLine != nullptr && *commandLine != '\0';
    if ((applicationName == nullptr && !hasCommandLine) || processInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> arguments =
        hasCommandLine ? SplitCommandLine(commandLine) : std::vector<std::string>{applicationName};
    Program program;
    std::string directory;
    DWORD error = ProgramOf(applicationName, arguments.front(), &program);
    if (error == ERROR_SUCCESS && currentDirectory != nullptr) error = DirectoryOf(currentDirectory, &directory);
    pid_t process = -1;
    if (error == ERROR_SUCCESS) error = Spawn(program, arguments, environment, directory, &process);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    ApplyPriorityClass(process, creationFlags);
    ReapWhenEnded(process);

    processInformation->hProcess = AddHandle(std::make_shared<StartedProcess>());
    processInformation->hThread = AddHandle(std::make_shared<StartedProcess>());
    // The main thread's id is the process id on Linux.
    processInformation->dwProcessId = static_cast<DWORD>(process);
    processInformation->dwThreadId = static_cast<DWORD>(process);
    return TRUE;
}

}  // namespace plv::posix
