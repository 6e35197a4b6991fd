// A machine whose processes and windows come and go between timer ticks.
#pragma once

#include <string>
#include <vector>

#include "support/fake_companions.h"
#include "support/library_test.h"

namespace plv::testing {

class MonitorTest : public LibraryTest {
  protected:
    explicit MonitorTest(DWORD platformId = VER_PLATFORM_WIN32_NT);

    // A process of the program at the path (its file is created too).
    void StartProcess(DWORD processId, const std::string &path, bool virtualDosMachine = false);
    void EndProcess(DWORD processId);  // its windows go with it
    HWND OpenWindow(DWORD processId, const std::string &title, const std::string &className = "EdWnd",
                    bool visible = true, DWORD threadId = 1);
    // A definition recognising the program by its file name.
    void Define(const std::string &fileName);
    void Tick();

    // The day's shared log, decoded.
    std::vector<std::string> LogLines(const std::string &day = "19980820") const;
    // Event text and application of each line.
    std::vector<std::string> LoggedEvents(const std::string &day = "19980820") const;
    std::vector<std::string> TraceLines() const { return fake.ListBoxLines(); }
    std::size_t TableSize() const;
    std::size_t MeteredCount() const;
};

}  // namespace plv::testing
