// The fake's own scripting, where the contract does not reach: faults per
// registry key and operation, and timers the test fires.
#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

constexpr char kKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";

TEST(FakeRegistry, FaultsHitTheirKeyAndOperationTheGivenNumberOfTimes) {
    FakePlatform fake;
    fake.SetRegistryString(kKey, "LastMIFDate", "01/15/1998");
    fake.registry.queryFaults[kKey] = {ERROR_ACCESS_DENIED, 1};
    fake.registry.setFaults[kKey] = {ERROR_DISK_FULL, -1};
    HKEY key = nullptr;
    ASSERT_EQ(fake.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    char text[16];
    DWORD size = sizeof text;
    EXPECT_EQ(fake.RegQueryValueExA(key, "LastMIFDate", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(fake.RegQueryValueExA(key, "LastMIFDate", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "01/15/1998");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fake.RegSetValueExA(key, "LastMIFDate", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2),
                  ERROR_DISK_FULL);
    }
    EXPECT_EQ(fake.FindRegistryValue(kKey, "lastmifdate")->data, std::string("01/15/1998\0", 11));
    EXPECT_EQ(fake.OpenKeyCount(), 1u);
    fake.RegCloseKey(key);
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
    const std::string path = kKey, value = path + "\\LastMIFDate";
    EXPECT_EQ(fake.registry.journal,
              (std::vector<std::string>{"open " + path, "query " + value, "query " + value,
                                        "set " + value, "set " + value, "set " + value,
                                        "close " + path}));
}

FakePlatform *firing = nullptr;
std::vector<UINT_PTR> fired;

void CALLBACK KillOther(HWND, UINT message, UINT_PTR id, DWORD) {
    EXPECT_EQ(message, WM_TIMER);
    fired.push_back(id);
    for (const FakePlatform::Timer &timer : firing->timers.active)
        if (timer.id != id) firing->KillTimer(nullptr, timer.id);
}

TEST(FakeTimers, ATimerKilledWhileOthersFireDoesNotRun) {
    FakePlatform fake;
    firing = &fake;
    fired.clear();
    const UINT_PTR first = fake.SetTimer(nullptr, 2, 1000, &KillOther);
    const UINT_PTR second = fake.SetTimer(nullptr, 2, 1000, &KillOther);
    EXPECT_EQ(fake.FireTimers(), 1);
    EXPECT_EQ(fired, (std::vector<UINT_PTR>{first}));
    ASSERT_EQ(fake.timers.active.size(), 1u);
    EXPECT_EQ(fake.timers.active[0].id, first);
    EXPECT_NE(second, first);
    firing = nullptr;
}

}  // namespace
}  // namespace plv::testing
