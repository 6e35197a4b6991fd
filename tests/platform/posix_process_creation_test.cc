// CreateProcessA on Linux: real programs started with the arguments,
// directory, environment and priority a Windows program would get.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/posix_platform.h"
#include "support/eventually.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using plv::testing::Eventually;
using plv::testing::TemporaryDirectory;

// What the probe program reports about itself.
struct Report {
    std::map<std::string, std::string> facts;
    std::vector<std::string> arguments;
};

std::optional<Report> AwaitReport(const std::string &file) {
    if (!Eventually([&] { return ::access(file.c_str(), F_OK) == 0; })) return std::nullopt;
    Report report;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const auto equals = line.find('=');
        if (line.compare(0, equals, "arg") == 0)
            report.arguments.push_back(line.substr(equals + 1));
        else
            report.facts[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
}

class ProcessCreation : public ::testing::Test {
  protected:
    ProcessCreation() {
        MapDrive('T', volume.path());
        std::filesystem::create_directory(volume / "probe dir");
        std::filesystem::copy_file(PLV_PROCESS_PROBE, volume / "probe dir/Probe.exe");
        ::setenv("PLV_PROBE_FILE", report.c_str(), 1);
        ::unsetenv("PLV_PROBE_HOLD");
        ::unsetenv("PLV_PROBE_VALUE");
    }
    ~ProcessCreation() override {
        ::unsetenv("PLV_PROBE_FILE");
        ::unsetenv("PLV_PROBE_HOLD");
        ::setenv("PATH", path.c_str(), 1);
    }

    // Starts a program; the last error when it fails. Its handles are closed
    // unless the test keeps them.
    DWORD Start(const char *application, std::string commandLine, DWORD flags = 0,
                const char *directory = nullptr, const char *environment = nullptr) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        info = PROCESS_INFORMATION{};
        os.SetLastError(ERROR_SUCCESS);
        const BOOL started =
            os.CreateProcessA(application, commandLine.empty() ? nullptr : commandLine.data(), nullptr,
                              nullptr, FALSE, flags, const_cast<char *>(environment), directory,
                              &startup, &info);
        if (!started) return os.GetLastError();
        if (keepHandles) return ERROR_SUCCESS;
        EXPECT_TRUE(os.CloseHandle(info.hThread));
        EXPECT_TRUE(os.CloseHandle(info.hProcess));
        return ERROR_SUCCESS;
    }

    PosixPlatform os;
    TemporaryDirectory volume;
    const std::string report = volume / "report";
    const std::string path = std::getenv("PATH");
    PROCESS_INFORMATION info{};
    bool keepHandles = false;
};

TEST_F(ProcessCreation, TheProgramGetsItsArgumentsAsWindowsGivesThemAndIsNotLeftAZombie) {
    ::setenv("PATH", (volume.path() + "/probe dir:" + path).c_str(), 1);
    const struct {
        const char *application;
        const char *commandLine;
        std::vector<std::string> arguments;
    } cases[] = {
        // The command line split as Windows' runtime splits it.
        {R"(T:\PROBE DIR\probe.exe)",
         R"("T:\PROBE DIR\probe.exe" "two words" a\\\"b "" c"d"e \\server\x)",
         {R"(T:\PROBE DIR\probe.exe)", "two words", R"(a\"b)", "", "cde", R"(\\server\x)"}},
        // Without an application name the first argument names the program.
        {nullptr, R"("T:\probe dir\PROBE.EXE"-x y)", {R"(T:\probe dir\PROBE.EXE)", "-x", "y"}},
        // Without a command line the application name is the only argument.
        {R"(T:\probe dir\probe.exe)", "", {R"(T:\probe dir\probe.exe)"}},
        // A bare name is looked for along the path.
        {nullptr, "Probe.exe one", {"Probe.exe", "one"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.commandLine);
        std::filesystem::remove(report);
        ASSERT_EQ(Start(c.application, c.commandLine), ERROR_SUCCESS);
        auto seen = AwaitReport(report);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->arguments, c.arguments);
        EXPECT_EQ(seen->facts["pid"], std::to_string(info.dwProcessId));
        EXPECT_EQ(info.dwThreadId, info.dwProcessId);
        EXPECT_EQ(seen->facts["value"], "(unset)");
        // Once ended, the process is not left a zombie.
        const std::string entry = "/proc/" + std::to_string(info.dwProcessId);
        EXPECT_TRUE(Eventually([&] { return ::access(entry.c_str(), F_OK) != 0; }));
    }
}

TEST_F(ProcessCreation, TheProgramRunsInTheGivenDirectoryAndEnvironment) {
    std::filesystem::create_directory(volume / "Work");
    const std::string environment =
        "PLV_PROBE_FILE=" + report + std::string(1, '\0') + "PLV_PROBE_VALUE=from the block" +
        std::string(2, '\0');
    // A relative program is the caller's, not the new directory's.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(volume.path());
    const DWORD error = Start(R"(probe dir\probe.exe)", "probe", 0, R"(T:\work)", environment.c_str());
    std::filesystem::current_path(previous);
    ASSERT_EQ(error, ERROR_SUCCESS);
    auto seen = AwaitReport(report);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->facts["cwd"], volume / "Work");
    EXPECT_EQ(seen->facts["value"], "from the block");
    EXPECT_EQ(seen->facts["variables"], "2");
}

TEST_F(ProcessCreation, APriorityClassBecomesANiceValue) {
    const std::string hold = volume / "go";
    ::setenv("PLV_PROBE_HOLD", hold.c_str(), 1);
    const int own = ::getpriority(PRIO_PROCESS, 0);
    // Only a privileged caller may lower its child's nice value below its
    // own; without the privilege the child keeps the caller's.
    const bool privileged = ::setpriority(PRIO_PROCESS, 0, own - 1) == 0 &&
                            ::setpriority(PRIO_PROCESS, 0, own) == 0;
    const auto granted = [&](int nice) { return nice < own && !privileged ? own : nice; };
    struct {
        DWORD flags;
        int nice;
    } const cases[] = {
        {IDLE_PRIORITY_CLASS, 19},
        {IDLE_PRIORITY_CLASS | HIGH_PRIORITY_CLASS, 19},  // the lowest class counts
        {BELOW_NORMAL_PRIORITY_CLASS, granted(10)},
        {NORMAL_PRIORITY_CLASS, granted(0)},
        {ABOVE_NORMAL_PRIORITY_CLASS, granted(-5)},
        {HIGH_PRIORITY_CLASS, granted(-10)},
        {REALTIME_PRIORITY_CLASS, granted(-20)},
        {0, own},
    };
    for (const auto &c : cases) {
        std::filesystem::remove(report);
        std::filesystem::remove(hold);
        ASSERT_EQ(Start(R"(T:\probe dir\probe.exe)", "probe", c.flags), ERROR_SUCCESS);
        std::ofstream{hold};
        auto seen = AwaitReport(report);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->facts["nice"], std::to_string(c.nice)) << "flags " << c.flags;
    }
}

TEST_F(ProcessCreation, HandlesAreClosedOnceAndLeaveTheProcessRunning) {
    ::setenv("PLV_PROBE_HOLD", (volume / "go").c_str(), 1);
    keepHandles = true;
    ASSERT_EQ(Start(R"(T:\probe dir\probe.exe)", "probe"), ERROR_SUCCESS);
    ASSERT_NE(info.hProcess, nullptr);
    ASSERT_NE(info.hThread, nullptr);
    EXPECT_NE(info.hProcess, info.hThread);
    EXPECT_TRUE(os.CloseHandle(info.hProcess));
    EXPECT_TRUE(os.CloseHandle(info.hThread));
    EXPECT_EQ(ErrorIf(os, [&] { return !os.CloseHandle(info.hProcess); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(::kill(static_cast<pid_t>(info.dwProcessId), 0), 0);
    std::ofstream{volume / "go"};
    EXPECT_TRUE(AwaitReport(report));
}

TEST_F(ProcessCreation, FailuresGiveTheCodesWindowsGives) {
    std::ofstream(volume / "readme.txt") << "text";
    std::ofstream(volume / "garbage.exe") << "neither ELF nor script";
    ::chmod((volume / "garbage.exe").c_str(), 0755);
    struct {
        const char *application;
        const char *commandLine;
        const char *directory;
        DWORD error;
    } const cases[] = {
        {R"(T:\probe dir\missing.exe)", "missing", nullptr, ERROR_FILE_NOT_FOUND},
        {R"(T:\no dir\probe.exe)", "probe", nullptr, ERROR_PATH_NOT_FOUND},
        {R"(Q:\probe.exe)", "probe", nullptr, ERROR_PATH_NOT_FOUND},
        {nullptr, "plv-no-such-program-anywhere", nullptr, ERROR_FILE_NOT_FOUND},
        {R"(T:\readme.txt)", "readme", nullptr, ERROR_ACCESS_DENIED},
        {R"(T:\probe dir)", "dir", nullptr, ERROR_ACCESS_DENIED},
        {R"(T:\garbage.exe)", "garbage", nullptr, ERROR_BAD_EXE_FORMAT},
        {R"(T:\probe dir\probe.exe)", "probe", R"(T:\nowhere)", ERROR_DIRECTORY},
        {R"(T:\probe dir\probe.exe)", "probe", R"(T:\readme.txt)", ERROR_DIRECTORY},
        {nullptr, "", nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Start(c.application, c.commandLine, 0, c.directory), c.error)
            << (c.application ? c.application : c.commandLine);
    }
    EXPECT_NE(::access(report.c_str(), F_OK), 0);
}

// The process's own environment: the room a value needs, terminator
// included, when the buffer is too small; its length when it fits.
TEST(Environment, VariablesAreReadAsWindowsGivesThem) {
    ::setenv("PLV_TEST_VARIABLE", "F:\\PLV", 1);
    PosixPlatform os;
    char value[8] = "#######";
    EXPECT_EQ(os.GetEnvironmentVariableA("PLV_TEST_VARIABLE", nullptr, 0), 7u);
    EXPECT_EQ(os.GetEnvironmentVariableA("PLV_TEST_VARIABLE", value, 6), 7u);
    EXPECT_STREQ(value, "#######");
    EXPECT_EQ(os.GetEnvironmentVariableA("PLV_TEST_VARIABLE", value, 7), 6u);
    EXPECT_STREQ(value, "F:\\PLV");
    EXPECT_EQ(ErrorIf(os, [&] { return os.GetEnvironmentVariableA("PLV_NO_SUCH_VARIABLE", value, 8) == 0; }), ERROR_ENVVAR_NOT_FOUND);
}

}  // namespace
}  // namespace plv::posix
