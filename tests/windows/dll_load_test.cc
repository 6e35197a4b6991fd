// PLVLIB32.DLL loaded by the Windows loader, as a host loads it: the library
// frame, driven through exports found by name, reaches a real host window.
// (Every export by its exact name: metering_host.c.)
#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "plvlib32.h"
#include "support/list_box_lines.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

constexpr char kStamp[] = "\\d\\d:\\d\\d:\\d\\d ";

class LoadedLibrary : public ::testing::Test {
  protected:
    ~LoadedLibrary() override {
        if (window != nullptr) plv::win32::DestroyHostWindow(window);
        if (module != nullptr) ::FreeLibrary(module);
    }

    template <class Function>
    Function *Find(const char *name) {
        return reinterpret_cast<Function *>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
    }

    // InitializePLVLIB with a fresh host window and records; trace on.
    void Initialize(const char *banner) {
        window = plv::win32::CreateHostWindow("host", PLV_TRACE_LISTBOX_ID);
        ASSERT_NE(window, nullptr);
        agent.runtime = &runtime;
        agent.optionFlags = PLV_OPT_TRACE;
        auto *initialize = Find<decltype(InitializePLVLIB)>("InitializePLVLIB");
        ASSERT_NE(initialize, nullptr);
        initialize(window, &agent, banner, &activeWindowCell);
    }

    std::vector<std::string> Lines() {
        return plv::testing::ListBoxLines(window, PLV_TRACE_LISTBOX_ID);
    }

    HMODULE module = ::LoadLibraryA("PLVLIB32.DLL");
    HWND window = nullptr;
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    PLVHWND *activeWindowCell = nullptr;
};

TEST_F(LoadedLibrary, InitializeShowsTheBannersInTheHostListBox) {
    ASSERT_NE(module, nullptr);
    Initialize("Host banner");
    // This machine has no 16-bit task tracker: start-up on NT logs its absence.
    EXPECT_THAT(Lines(), ElementsAre(MatchesRegex(std::string(kStamp) + "Host banner"),
                                     MatchesRegex(std::string(kStamp) +
                                                  "PLVLIB32\\.DLL Version 2\\.8 built on Aug 20 "
                                                  "1998 at 15:11:57, US build"),
                                     HasSubstr(";Pelvantine;Initialization Failure;PLVWOW32.DLL;")));
    ASSERT_NE(activeWindowCell, nullptr);
    EXPECT_EQ(*activeWindowCell, nullptr);
}

TEST_F(LoadedLibrary, DisplayWidensTheListBoxToItsWidestLine) {
    ASSERT_NE(module, nullptr);
    Initialize(nullptr);
    char text[] = "a\nb";
    Find<decltype(Display)>("Display")(text);

    const std::vector<std::string> lines = Lines();
    ASSERT_THAT(lines, ElementsAre(MatchesRegex(std::string(kStamp) + "PLVLIB32.*"),
                                   HasSubstr("Initialization Failure"),
                                   MatchesRegex(std::string(kStamp) + "a"),
                                   std::string(18, ' ') + "b"));
    // The extent is the widest line's, measured in the window's font.
    HDC dc = ::GetDC(window);
    LONG widest = 0;
    for (const std::string &line : lines) {
        SIZE size{};
        ASSERT_TRUE(::GetTextExtentPointA(dc, line.c_str(), static_cast<int>(line.size()), &size));
        widest = std::max(widest, size.cx);
    }
    ::ReleaseDC(window, dc);
    EXPECT_GT(widest, 0);
    EXPECT_EQ(::SendDlgItemMessageA(window, PLV_TRACE_LISTBOX_ID, LB_GETHORIZONTALEXTENT, 0, 0),
              widest);
}

}  // namespace
