#include "entry/library_entry.h"

#include <algorithm>
#include <string>

#include "entry/wow_boot_drivers.h"
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
    EXPECT_EQ(LibraryEntry(instance, DLL_PROCESS_ATTACH), TRUE);
    EXPECT_EQ(core.moduleInstance, instance);
    EXPECT_EQ(core.agent, nullptr);
    EXPECT_EQ(fake.ListBoxLines().size(), 1u);  // the version line of Initialize only
    // The other reasons change nothing.
    Initialize();
    for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH}) {
        EXPECT_EQ(LibraryEntry(nullptr, reason), TRUE);
    }
    EXPECT_EQ(core.moduleInstance, instance);
    EXPECT_EQ(core.agent, &agent);
}

constexpr char kWowBoot[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot";

class WowBootDriversTest : public LibraryTest {
  protected:
    WowBootDriversTest() { Initialize(); }

    // The value as stored, terminator included; "<none>" when there is none.
    std::string Drivers() const {
        const auto *value = fake.FindRegistryValue(kWowBoot, "drivers");
        return value != nullptr ? value->data : "<none>";
    }
    long Sets() const {
        return std::count(fake.registry.journal.begin(), fake.registry.journal.end(),
                          std::string("set ") + kWowBoot + "\\drivers");
    }
};

std::string Stored(const std::string &text) { return text + '\0'; }

constexpr char kNoKey[] = "(no key)";
struct Rewrite {
    const char *stored;  // null: no value; kNoKey: not even the key
    bool addOurs;
    std::string expected;
};

class DriversRewriteTest : public WowBootDriversTest,
                           public ::testing::WithParamInterface<Rewrite> {};

TEST_P(DriversRewriteTest, DropsEveryEntryOfOurDriver) {
    const Rewrite &c = GetParam();
    if (c.stored != kNoKey) fake.registry.keys[kWowBoot];
    if (c.stored != nullptr && c.stored != kNoKey)
        fake.SetRegistryString(kWowBoot, "drivers", c.stored);
    EXPECT_TRUE(RewriteWowBootDrivers(c.addOurs));
    EXPECT_EQ(Drivers(), Stored(c.expected));
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DriversRewriteTest,
    ::testing::Values(
        Rewrite{nullptr, true, "c:\\plv\\plvnts16.dll"},
        Rewrite{kNoKey, true, "c:\\plv\\plvnts16.dll"},  // start-up creates the key
        Rewrite{"VDMREDIR.DLL,D:\\Old\\PLVNTS16.DLL", true, "vdmredir.dll,c:\\plv\\plvnts16.dll"},
        Rewrite{"d:\\old\\plvnts16.dll", true, "c:\\plv\\plvnts16.dll"},
        Rewrite{"A.DLL,C:\\PLV\\PLVNTS16.DLL,B.DLL", true, "a.dll,b.dll,c:\\plv\\plvnts16.dll"},
        Rewrite{"A.DLL,", true, "a.dll,c:\\plv\\plvnts16.dll"},
        Rewrite{"VDMREDIR.DLL,c:\\plv\\plvnts16.dll", false, "VDMREDIR.DLL"},
        Rewrite{"C:\\PLV\\PLVNTS16.DLL,Net.Dll", false, "Net.Dll"},
        Rewrite{"c:\\plv\\plvnts16.dll", false, ""}));

TEST_F(WowBootDriversTest, AValueLongerThanAnyBufferKeepsAllItsDrivers) {
    std::string stored;
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        const std::string driver = "C:\\VENDOR\\DRIVERS\\DRIVER" + std::to_string(i) + ".DLL";
        stored += driver + ",";
        expected += "c:\\vendor\\drivers\\driver" + std::to_string(i) + ".dll,";
    }
    stored += "D:\\OLD\\PLVNTS16.DLL";
    ASSERT_GT(stored.size(), 1000u);
    fake.SetRegistryString(kWowBoot, "drivers", stored);
    EXPECT_TRUE(RewriteWowBootDrivers(true));
    EXPECT_EQ(Drivers(), Stored(expected + "c:\\plv\\plvnts16.dll"));
}

TEST_F(WowBootDriversTest, AnUnreadableValueIsNeverOverwritten) {
    fake.SetRegistryString(kWowBoot, "drivers", "VDMREDIR.DLL");
    fake.registry.queryFaults[kWowBoot] = {ERROR_BADDB, -1};
    EXPECT_FALSE(RewriteWowBootDrivers(true));
    EXPECT_FALSE(RewriteWowBootDrivers(false));
    EXPECT_EQ(Sets(), 0);
    EXPECT_EQ(Drivers(), Stored("VDMREDIR.DLL"));
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

TEST_F(WowBootDriversTest, ShutdownWritesNothingWithoutKeyOrValue) {
    EXPECT_FALSE(RewriteWowBootDrivers(false));
    EXPECT_EQ(fake.registry.keys.count(kWowBoot), 0u);  // not created
    fake.registry.keys[kWowBoot];
    EXPECT_FALSE(RewriteWowBootDrivers(false));
    EXPECT_EQ(Sets(), 0);
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

TEST_F(WowBootDriversTest, AFailedWriteFailsTheRewrite) {
    fake.registry.setFaults[kWowBoot] = {ERROR_CANTWRITE, -1};
    EXPECT_FALSE(RewriteWowBootDrivers(true));
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace plv::testing
