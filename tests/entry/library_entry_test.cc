#include "entry/library_entry.h"

#include "support/library_test.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kVersionLine[] =
    "09:15:02 PLVLIB32.DLL Version 2.8 built on Aug 20 1998 at 15:11:57, US build";

TEST_F(LibraryTest, InitializeShowsBannerThenVersion) {
    const char banner[] = "one\ntwo";
    Initialize(banner);
    EXPECT_STREQ(banner, "one\ntwo");  // Display must not cut the host's text
    EXPECT_THAT(fake.ListBoxLines(),
                ElementsAre("09:15:02 one", std::string(18, ' ') + "two", kVersionLine));
    fake.host.messages.clear();
    Initialize(nullptr);
    EXPECT_THAT(fake.ListBoxLines(), ElementsAre(kVersionLine));
}

TEST_F(LibraryTest, TraceClearShowsNothingButStillInitialisesAndResetsTheFlags) {
    agent.optionFlags = 0;
    fake.processId = 777;
    core.activeWindow = reinterpret_cast<PLVHWND>(std::uintptr_t{0x99});
    core.networkFailure = core.shuttingDown = true;
    Initialize("Host banner");
    EXPECT_THAT(fake.host.messages, IsEmpty());
    EXPECT_EQ(core.agent, &agent);
    EXPECT_EQ(core.hostWindow, fake.host.handle);
    EXPECT_EQ(core.platformCode, kPlatformNT);
    EXPECT_EQ(core.ownProcessId, 777u);
    ASSERT_NE(activeWindowCell, nullptr);
    EXPECT_EQ(*activeWindowCell, nullptr);
    EXPECT_FALSE(core.networkFailure);
    EXPECT_FALSE(core.shuttingDown);
}

TEST_F(LibraryTest, PlatformDetectionMapsPlatformIds) {
    struct Case {
        BOOL result;
        DWORD platformId;
        std::int32_t code;
    };
    const Case cases[] = {
        {TRUE, VER_PLATFORM_WIN32_WINDOWS, kPlatformWindows95},
        {TRUE, VER_PLATFORM_WIN32_NT, kPlatformNT},
        {TRUE, VER_PLATFORM_WIN32s, kPlatformUnknown},
        {TRUE, 3, kPlatformUnknown},
        {FALSE, VER_PLATFORM_WIN32_NT, kPlatformUnknown},
    };
    for (const Case &c : cases) {
        fake.version.result = c.result;
        fake.version.platformId = c.platformId;
        EXPECT_EQ(DetectPlatform(), c.code) << c.platformId;
        EXPECT_EQ(fake.version.sizeSeen, 148u);
    }
}

TEST_F(LibraryTest, LoadStoresTheInstanceAndForgetsTheAgentBlock) {
    Initialize();
    const auto instance = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});
    for (DWORD reason : {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH,
                         DLL_PROCESS_DETACH}) {
        EXPECT_EQ(LibraryEntry(instance, reason), TRUE);
    }
    EXPECT_EQ(core.moduleInstance, instance);
    EXPECT_EQ(core.agent, nullptr);
    EXPECT_EQ(fake.ListBoxLines().size(), 1u);  // the version line of Initialize only
}

}  // namespace
}  // namespace plv::testing
