// CreateProcessA as the library calls it for its companion programs: the
// program named, its command line and priority passed, hidden; this test
// program, run again in a helper role, reports what it was given.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "support/command_line.h"
#include "support/helper_process.h"
#include "support/temporary_directory.h"
#include "support/wine.h"

namespace plv::testing {
namespace {

// "report <file> <words...>": writes its priority class and its words, one a
// line, into the file; exits with the number of words.
int ReportMain(const std::vector<std::string> &arguments) {
    std::ofstream out(arguments.at(0));
    out << ::GetPriorityClass(::GetCurrentProcess()) << "\n";
    for (std::size_t i = 1; i < arguments.size(); ++i) out << arguments[i] << "\n";
    return static_cast<int>(arguments.size() - 1);
}
const HelperRole reportRole("report", &ReportMain);

std::vector<std::string> Lines(const std::string &path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class Win32Processes : public ::testing::Test {
  protected:
    // Starts the program and waits for it; its exit code, or -1.
    int Run(const std::string &program, std::string commandLine, DWORD creationFlags) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION process{};
        if (!os.CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags,
                               nullptr, nullptr, &startup, &process))
            return -1;
        EXPECT_NE(process.dwProcessId, 0u);
        ::WaitForSingleObject(process.hProcess, 30000);
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        os.CloseHandle(process.hThread);
        os.CloseHandle(process.hProcess);
        return static_cast<int>(exitCode);
    }

    win32::Win32Platform os;
    TemporaryDirectory directory;
};

TEST_F(Win32Processes, AChildGetsItsCommandLineAndPriority) {
    const std::string report = directory / "with blanks.txt";
    const std::vector<std::string> words = {"plain", "two words", "C:\\PLV\\", "quote\"d", ""};
    std::vector<std::string> line = {ThisProgram(), "--helper", "report", report};
    line.insert(line.end(), words.begin(), words.end());
    ASSERT_EQ(Run(ThisProgram(), JoinCommandLine(line), HIGH_PRIORITY_CLASS), static_cast<int>(words.size()));

    const std::vector<std::string> lines = Lines(report);
    ASSERT_EQ(lines.size(), words.size() + 1);
    // Wine starts every process at normal priority, whatever it is asked.
    EXPECT_EQ(lines[0], std::to_string(RunningUnderWine() ? NORMAL_PRIORITY_CLASS : HIGH_PRIORITY_CLASS));
    for (std::size_t i = 0; i < words.size(); ++i) EXPECT_EQ(lines[i + 1], words[i]) << i;
}

TEST_F(Win32Processes, AMissingProgramIsNotStarted) {
    const std::string missing = directory / "PLVMIFG.EXE";
    std::string commandLine = missing;
    EXPECT_EQ(Run(missing, commandLine, NORMAL_PRIORITY_CLASS), -1);
    EXPECT_EQ(os.GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace plv::testing
