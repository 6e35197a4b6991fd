// The companion modules under the Windows loader, found beside the program
// and bound by the names and types the library uses.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/companions.h"
#include "plvlib32.h"
#include "support/command_line.h"
#include "support/temporary_directory.h"
#include "support/test_window_process.h"

namespace plv::testing {
namespace {

template <class Function>
Function Entry(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
}

class ProcessListModule : public ::testing::Test {
  protected:
    ~ProcessListModule() override {
        if (module != nullptr) ::FreeLibrary(module);
    }

    // One walk of a fresh list, as a scan makes it.
    std::vector<DWORD> Walk() {
        std::vector<DWORD> ids;
        if (!reset()) return ids;
        while (const DWORD id = next()) {
            ids.push_back(id);
            if (ids.size() > 100000) break;  // a list that never ends
        }
        return ids;
    }

    static bool Holds(const std::vector<DWORD> &ids, DWORD id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }

    HMODULE module = ::LoadLibraryA("PLVNTPRL.DLL");
    InitNTProcessListFn init = Entry<InitNTProcessListFn>(module, "InitNTProcessList");
    ResetNTProcessListFn reset = Entry<ResetNTProcessListFn>(module, "ResetNTProcessList");
    GetNextProcessIDFn next = Entry<GetNextProcessIDFn>(module, "GetNextProcessID");
    GetProcessExePathFn exePath = Entry<GetProcessExePathFn>(module, "GetProcessExePath");
    FreeNTProcessListFn free = Entry<FreeNTProcessListFn>(module, "FreeNTProcessList");
};

TEST_F(ProcessListModule, ListsTheRunningProcessesAfreshOnEveryReset) {
    ASSERT_NE(module, nullptr) << "error " << ::GetLastError();
    ASSERT_TRUE(init && reset && next && exePath && free);
    ASSERT_NE(init("C:\\PLV"), 0);

    TestWindowProcess child("listed");
    ASSERT_NE(child.window(), nullptr);
    const std::vector<DWORD> running = Walk();
    EXPECT_TRUE(Holds(running, ::GetCurrentProcessId()));
    EXPECT_TRUE(Holds(running, child.processId()));
    std::vector<DWORD> sorted = running;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "an id listed twice";
    EXPECT_EQ(next(), 0u) << "the walk stays at its end";

    ASSERT_EQ(child.Close(), 0);
    const std::vector<DWORD> after = Walk();
    EXPECT_TRUE(Holds(after, ::GetCurrentProcessId()));
    EXPECT_FALSE(Holds(after, child.processId()));

    ASSERT_NE(reset(), 0);
    free();
    EXPECT_EQ(next(), 0u) << "a freed list has no ids left";
}

TEST_F(ProcessListModule, GivesEachProcessesProgramPathAndMarksVirtualDosMachines) {
    ASSERT_NE(module, nullptr);
    char path[285];
    BYTE virtualDosMachine = 7;
    ASSERT_EQ(exePath(::GetCurrentProcessId(), path, &virtualDosMachine), 1);
    EXPECT_EQ(::lstrcmpiA(path, ThisProgram().c_str()), 0) << path << " for " << ThisProgram();
    EXPECT_EQ(virtualDosMachine, 0);

    // Any program whose file is named NTVDM.EXE hosts DOS and 16-bit tasks.
    TemporaryDirectory directory;
    const std::string vdm = directory / "ntvdm.exe";
    ASSERT_TRUE(::CopyFileA(TestWindowProcess::DefaultProgram().c_str(), vdm.c_str(), TRUE));
    {
        TestWindowProcess machine("machine", vdm);
        ASSERT_NE(machine.window(), nullptr);
        virtualDosMachine = 0;
        ASSERT_EQ(exePath(machine.processId(), path, &virtualDosMachine), 1);
        EXPECT_EQ(::lstrcmpiA(path, vdm.c_str()), 0) << path;
        EXPECT_EQ(virtualDosMachine, 1);
        EXPECT_EQ(machine.Close(), 0);
    }

    // The idle process has no program file; the flag is cleared all the same.
    virtualDosMachine = 7;
    EXPECT_EQ(exePath(0, path, &virtualDosMachine), 0);
    EXPECT_EQ(virtualDosMachine, 0);
}

TEST(DailyCompanionModule, LetsTheDaysWorkGoOnForAnAgent) {
    HMODULE module = ::LoadLibraryA("PLVWSI32.DLL");
    ASSERT_NE(module, nullptr) << "error " << ::GetLastError();
    auto doLastLogin = Entry<DoLastLoginFn>(module, "DoLastLogin");
    ASSERT_NE(doLastLogin, nullptr);
    PLVAgentState agent{};
    EXPECT_NE(doLastLogin(&agent), 0u);
    EXPECT_EQ(doLastLogin(nullptr), 0u);
    ::FreeLibrary(module);
}

}  // namespace
}  // namespace plv::testing
