// plvagent.exe as an administrator runs it on Windows: its configuration
// read, PLVLIB32.DLL bound through the import library, a real window whose
// list box carries the trace, and windowed programs metered into the day's
// log file until the window is closed.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/command_line.h"
#include "support/eventually.h"
#include "support/host_files.h"
#include "support/log_records.h"
#include "support/temporary_directory.h"
#include "support/test_window_process.h"

namespace plv::testing {
namespace {

// plvagent.exe started in a directory of its own, its diagnostics kept in a
// file there.
class AgentProgram {
  public:
    AgentProgram(const std::vector<std::string> &arguments, const std::string &directory)
        : errorsFile_(directory + "\\errors.txt") {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE errors = ::CreateFileA(errorsFile_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errors;
        startup.hStdOutput = errors;
        std::vector<std::string> words{ThisProgramDirectory() + "\\plvagent.exe"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::string commandLine = JoinCommandLine(words);
        PROCESS_INFORMATION started{};
        if (::CreateProcessA(words[0].c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             directory.c_str(), &startup, &started)) {
            ::CloseHandle(started.hThread);
            process_ = started.hProcess;
            processId_ = started.dwProcessId;
        }
        ::CloseHandle(errors);
    }
    ~AgentProgram() {
        if (process_ == nullptr) return;
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 99);
        ::CloseHandle(process_);
    }
    AgentProgram(const AgentProgram &) = delete;
    AgentProgram &operator=(const AgentProgram &) = delete;

    bool started() const { return process_ != nullptr; }
    std::string Errors() const { return ReadHostFile(errorsFile_); }

    // The exit code, or -1 when the program did not end within 30 seconds.
    int Wait() {
        DWORD code = 0;
        if (::WaitForSingleObject(process_, 30000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process_, &code))
            return -1;
        return static_cast<int>(code);
    }

    // The agent's own top-level window, once it has one.
    HWND Window() const {
        struct Search {
            DWORD processId;
            HWND found;
        } search{processId_, nullptr};
        struct Enumeration {
            static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
                auto *search = reinterpret_cast<Search *>(parameter);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                char title[64] = {};
                ::GetWindowTextA(window, title, sizeof title);
                if (owner != search->processId || std::string(title) != "Pelvantine Agent") return TRUE;
                search->found = window;
                return FALSE;
            }
        };
        ::EnumWindows(&Enumeration::Visit, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

  private:
    std::string errorsFile_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

class AgentProgramTest : public ::testing::Test {
  protected:
    AgentProgramTest() {
        std::filesystem::create_directories(home / "LOGS");
        std::filesystem::create_directories(home / "SYSTEM");
        std::ofstream(home / "SYSTEM\\PLV.INI") << "[Pelvantine]\r\n";
    }

    void Configure(const std::string &extra) {
        std::ofstream(configuration) << "[Agent]\r\nHomePath = " << home.path()
                                     << "\r\nWorkstation = WS-EXE\r\nUser = tester\r\n"
                                     << extra;
    }

    // Event lines of the log files whose program file is `program`.
    std::vector<std::vector<std::string>> Logged(const std::string &program, const std::string &event) {
        std::vector<std::vector<std::string>> found;
        for (LoggedRecord &record : LoggedRecords(home / "LOGS")) {
            const std::vector<std::string> &fields = record.fields;
            if (fields.size() > 7 && fields[6].ends_with("\\" + program) && fields[7] == event)
                found.push_back(std::move(record.fields));
        }
        return found;
    }

    // A copy of the test window program under its own name.
    std::string Program(const std::string &name) {
        const std::string copy = scratch / name;
        ::CopyFileA(TestWindowProcess::DefaultProgram().c_str(), copy.c_str(), TRUE);
        return copy;
    }

    TemporaryDirectory scratch;
    TemporaryDirectory home;
    std::string configuration = scratch / "agent.ini";
};

TEST_F(AgentProgramTest, MetersProgramsUntilItsWindowIsClosed) {
    Configure("[Options]\r\nTrace = yes\r\nUndefinedApplications = yes\r\n"
              "[Ignore]\r\nPrograms = CLOCK.EXE\r\n");
    TestWindowProcess clock("Clock", Program("CLOCK.EXE"));
    ASSERT_NE(clock.window(), nullptr);
    const std::string trace = scratch / "trace.txt";
    AgentProgram agent({"run", "--config", configuration, "--trace-file", trace}, scratch.path());
    ASSERT_TRUE(agent.started());
    {
        TestWindowProcess ledger("Ledger", Program("LEDGER.EXE"));
        ASSERT_NE(ledger.window(), nullptr);
        ASSERT_TRUE(Eventually([&] { return !Logged("LEDGER.EXE", "Initiated").empty(); }))
            << agent.Errors() << ReadHostFile(trace);
        EXPECT_EQ(ledger.Close(), 0);
    }
    ASSERT_TRUE(Eventually([&] { return !Logged("LEDGER.EXE", "Terminated").empty(); }))
        << agent.Errors() << ReadHostFile(trace);

    // Closing the window stops the agent cleanly.
    HWND window = agent.Window();
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(agent.Wait(), 0) << agent.Errors();

    const auto initiated = Logged("LEDGER.EXE", "Initiated");
    ASSERT_EQ(initiated.size(), 1u);
    EXPECT_EQ(initiated[0][2], "WS-EXE");
    EXPECT_EQ(initiated[0][3], "tester");
    EXPECT_TRUE(Logged("CLOCK.EXE", "Initiated").empty()) << "the ignored program was metered";
    // The library's trace reached the file through the window's list box.
    EXPECT_NE(ReadHostFile(trace).find("Process added"), std::string::npos) << ReadHostFile(trace);
}

// Windows' drives and shares are its own: a mapping section is refused
// rather than silently ignored.
TEST_F(AgentProgramTest, RefusesPathMappingsOnWindows) {
    struct Case {
        const char *sections;
        int exitCode;
    } const cases[] = {
        {"", 0},
        {"[Drives]\r\nH = C:\\srv\r\n", 1},
        {"[Shares]\r\n\\\\SERVER\\APPS = C:\\srv\r\n", 1},
        {"[Platform]\r\nDataDirectory = C:\\data\r\n", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sections);
        Configure(c.sections);
        AgentProgram check({"check-config", "--config", configuration}, scratch.path());
        ASSERT_TRUE(check.started());
        EXPECT_EQ(check.Wait(), c.exitCode) << check.Errors();
        if (c.exitCode != 0) {
            EXPECT_NE(check.Errors().find("is for Linux hosts"), std::string::npos) << check.Errors();
        }
    }
}

}  // namespace
}  // namespace plv::testing
