// The agent on the real Win32 platform: PLVLIB32.DLL, loaded by the Windows
// loader with PLVNTPRL.DLL beside it, driven by a host with a real window and
// message loop, meters a windowed program from its start to its end into the
// day's log file.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "plvlib32.h"
#include "support/list_box_lines.h"
#include "support/log_records.h"
#include "support/temporary_directory.h"
#include "support/test_window_process.h"

namespace plv::testing {
namespace {

// The host: the agent's records, its window and its home path, all in a
// temporary directory, and the library's exports found by name.
class MeteringHost : public ::testing::Test {
  protected:
    MeteringHost() {
        std::filesystem::create_directories(home / "LOGS");
        std::filesystem::create_directories(home / "SYSTEM");
        std::ofstream(home / "SYSTEM\\PLV.INI") << "[Pelvantine]\r\n";

        agent.runtime = &runtime;
        agent.agentDirectory = home.path().c_str();
        agent.updateInterval = 15;
        agent.updateCountdown = 900;
        agent.closeRetryCount = 2;
        agent.agentNumber = 12;
        // Every application is metered: the program needs no definition.
        agent.optionFlags = PLV_OPT_TRACE | PLV_OPT_UNDEFINED_APPS;
        std::strcpy(agent.logHeaderText, "Pelvantine usage log");
        std::strcpy(runtime.workstationName, "WS-WINE");
        std::strcpy(runtime.userName, "TESTER");
        std::strcpy(runtime.homePath, home.path().c_str());
        std::strcpy(runtime.settingsFilePath, (home / "SYSTEM\\PLV.INI").c_str());
    }
    ~MeteringHost() override {
        if (window != nullptr) win32::DestroyHostWindow(window);
        if (library != nullptr) ::FreeLibrary(library);
    }

    template <class Function>
    Function *Export(const char *name) {
        return reinterpret_cast<Function *>(reinterpret_cast<void *>(::GetProcAddress(library, name)));
    }

    // The records logged so far for `program` with `event`.
    std::vector<LoggedRecord> Logged(const std::string &program, const std::string &event) {
        std::vector<LoggedRecord> records = LoggedRecords(home / "LOGS");
        std::erase_if(records, [&](const LoggedRecord &record) {
            return record.fields.size() <= 7 || record.fields[6] != program ||
                   record.fields[7] != event;
        });
        return records;
    }

    // The host's message loop, run until the condition holds; false when a
    // minute passes first.
    static bool PumpUntil(const std::function<bool()> &condition) {
        const DWORD start = ::GetTickCount();
        while (!condition()) {
            if (::GetTickCount() - start > 60000) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLINPUT);
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        }
        return true;
    }

    // The trace list box's last lines, for failure messages.
    std::string TraceTail() const {
        const std::vector<std::string> lines = ListBoxLines(window, PLV_TRACE_LISTBOX_ID);
        std::string tail;
        for (std::size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
            tail += lines[i] + "\n";
        return tail;
    }

    TemporaryDirectory home;
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    HMODULE library = ::LoadLibraryA("PLVLIB32.DLL");
    HWND window = win32::CreateHostWindow("Pelvantine Agent", PLV_TRACE_LISTBOX_ID);
};

TEST_F(MeteringHost, LogsAWindowedProgramInitiatedAndTerminatedInTheDaysLogFile) {
    ASSERT_NE(library, nullptr) << "error " << ::GetLastError();
    ASSERT_NE(window, nullptr);
    // A program of its own name, so that no other test's copy is taken for it.
    const std::string program = home / "EDITOR.EXE";
    ASSERT_TRUE(::CopyFileA(TestWindowProcess::DefaultProgram().c_str(), program.c_str(), TRUE));
    char shortPath[MAX_PATH];
    ASSERT_GT(::GetShortPathNameA(program.c_str(), shortPath, MAX_PATH), 0u);

    PLVHWND *activeWindow = nullptr;
    Export<decltype(InitializePLVLIB)>("InitializePLVLIB")(window, &agent, "scenario host", &activeWindow);
    ASSERT_EQ(Export<decltype(InitializeMetering)>("InitializeMetering")(), 1) << TraceTail();
    ASSERT_EQ(Export<decltype(StartTimer)>("StartTimer")(), 1);

    char startDate[16] = "", startTime[16] = "";
    {
        TestWindowProcess editor("Chapter 1 - Editor", program);
        ASSERT_NE(editor.window(), nullptr);
        EXPECT_TRUE(PumpUntil([&] { return !Logged(shortPath, "Initiated").empty(); })) << TraceTail();
        // The moment of admission, which "Terminated" is to carry; the
        // "Initiated" stamp is a reading of its own, normally the same.
        const PLVMeteredApp *record =
            Export<decltype(IsAppAuthorized)>("IsAppAuthorized")(editor.processId(), 0);
        ASSERT_NE(record, nullptr);
        const WSDate date = record->startDate;
        const WSTime time = record->startTime;
        std::snprintf(startDate, sizeof startDate, "%04d/%02d/%02d", date.year, date.month, date.day);
        std::snprintf(startTime, sizeof startTime, "%02d:%02d:%02d", time.hour, time.minute,
                      time.second);
        EXPECT_EQ(editor.Close(), 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !Logged(shortPath, "Terminated").empty(); })) << TraceTail();

    Export<decltype(StopTimer)>("StopTimer")();
    Export<decltype(DLLShutdown)>("DLLShutdown")();
    auto *removeList = Export<decltype(RemoveLinkedList)>("RemoveLinkedList");
    removeList(&runtime.pendingEvents);
    removeList(&runtime.pendingDefinitions);
    removeList(&runtime.meteredApps);

    const auto initiated = Logged(shortPath, "Initiated");
    const auto terminated = Logged(shortPath, "Terminated");
    ASSERT_EQ(initiated.size(), 1u) << TraceTail();
    ASSERT_EQ(terminated.size(), 1u) << TraceTail();
    const std::vector<std::string> &start = initiated[0].fields;
    EXPECT_EQ(start[2], "WS-WINE");
    EXPECT_EQ(start[3], "TESTER");
    // The day's file: YYYYMMDD.LOG of the event's date, YYYY/MM/DD.
    ASSERT_EQ(start[0].size(), 10u);
    EXPECT_EQ(initiated[0].file,
              start[0].substr(0, 4) + start[0].substr(5, 2) + start[0].substr(8, 2) + ".LOG");
    // The end carries the start's date and time.
    const std::vector<std::string> &end = terminated[0].fields;
    ASSERT_GE(end.size(), 11u);
    EXPECT_EQ(end[9], startDate);
    EXPECT_EQ(end[10], startTime);
}

}  // namespace
}  // namespace plv::testing
