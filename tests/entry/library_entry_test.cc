#include "entry/library_entry.h"

#include <algorithm>
#include <string>

#include "entry/wow_boot_drivers.h"
#include "support/library_test.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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

TEST_F(LibraryTest, InitializeHandsTheHostACellThatHoldsNoActiveWindow) {
    Initialize();
    ASSERT_NE(activeWindowCell, nullptr);
    EXPECT_EQ(*activeWindowCell, nullptr);
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
