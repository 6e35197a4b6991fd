// A program the process-creation tests start. It writes what it was given
// (its arguments, working directory, environment, priority) to the file that
// PLV_PROBE_FILE names, one item a line; while the file that PLV_PROBE_HOLD
// names does not exist, it waits first.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

extern char **environ;

int main(int argc, char **argv) {
    const char *report = std::getenv("PLV_PROBE_FILE");
    if (report == nullptr) return 2;
    if (const char *hold = std::getenv("PLV_PROBE_HOLD")) {
        for (int i = 0; i < 1000 && ::access(hold, F_OK) != 0; ++i) ::usleep(10000);
    }
    const std::string part = std::string(report) + ".part";
    {
        std::ofstream out(part);
        char cwd[4096] = "";
        if (::getcwd(cwd, sizeof cwd) == nullptr) return 3;
        const char *value = std::getenv("PLV_PROBE_VALUE");
        int variables = 0;
        for (char **variable = environ; *variable != nullptr; ++variable) ++variables;
        out << "pid=" << ::getpid() << "\ncwd=" << cwd << "\nnice=" << ::getpriority(PRIO_PROCESS, 0)
            << "\nvalue=" << (value != nullptr ? value : "(unset)") << "\nvariables=" << variables << "\n";
        for (int i = 0; i < argc; ++i) out << "arg=" << argv[i] << "\n";
    }
    // Whole or not at all: the test reads the report once it exists.
    return std::rename(part.c_str(), report) == 0 ? 0 : 4;
}
