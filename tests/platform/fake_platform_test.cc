// The fake's own scripting: faults per registry key and operation, timers
// the test fires, messages recorded per window, processes on one machine.
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
    EXPECT_EQ(fake.registry.journal,
              (std::vector<std::string>{"open " + std::string(kKey), "query " + std::string(kKey) + "\\LastMIFDate",
                                        "query " + std::string(kKey) + "\\LastMIFDate",
                                        "set " + std::string(kKey) + "\\LastMIFDate",
                                        "set " + std::string(kKey) + "\\LastMIFDate",
                                        "set " + std::string(kKey) + "\\LastMIFDate", "close " + std::string(kKey)}));
}

FakePlatform *firing = nullptr;
std::vector<UINT_PTR> fired;

void KillOther(HWND, UINT message, UINT_PTR id, DWORD) {
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
    fake.timers.setFails = true;
    EXPECT_EQ(fake.SetTimer(nullptr, 2, 1000, &KillOther), 0u);
    firing = nullptr;
}

TEST(FakeMessages, PostedAndSentMessagesAreKeptPerWindow) {
    FakePlatform fake;
    fake.messages.onSend = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == 0x1400 ? 7 : 0; };
    HWND other = reinterpret_cast<HWND>(std::uintptr_t{0x3B0});
    EXPECT_TRUE(fake.PostMessageA(fake.host.handle, WM_CLOSE, 0, 0));
    EXPECT_EQ(fake.SendMessageA(fake.host.handle, 0x1400, 0, 0), 7);
    EXPECT_TRUE(fake.PostMessageA(other, WM_USER, 1, 2));
    ASSERT_EQ(fake.messages.posted[fake.host.handle].size(), 1u);
    EXPECT_EQ(fake.messages.posted[fake.host.handle][0].message, WM_CLOSE);
    ASSERT_EQ(fake.messages.sent[fake.host.handle].size(), 1u);
    EXPECT_EQ(fake.messages.posted[other][0].lParam, 2);
}

TEST(FakeMachine, ASecondFakeHoldsTheSemaphoreUntilItEnds) {
    FakePlatform fake;
    HANDLE timer = fake.CreateSemaphoreA(nullptr, 1, 1, "PLVTimerSemaphore");
    {
        FakePlatform other;
        other.machine = fake.machine;
        HANDLE held = other.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "PLVTimerSemaphore");
        ASSERT_EQ(other.WaitForSingleObject(held, 0), WAIT_OBJECT_0);
        EXPECT_EQ(fake.WaitForSingleObject(timer, 0), WAIT_TIMEOUT);
        EXPECT_FALSE(fake.ReleaseSemaphore(timer, 1, nullptr));
    }
    EXPECT_EQ(fake.WaitForSingleObject(timer, 0), WAIT_OBJECT_0);
    EXPECT_EQ(fake.semaphores.journal,
              (std::vector<std::string>{"create PLVTimerSemaphore", "wait PLVTimerSemaphore 0 timeout",
                                        "release-refused PLVTimerSemaphore", "wait PLVTimerSemaphore 0 taken"}));
}

}  // namespace
}  // namespace plv::testing
