// What the Linux platform does by design where Windows differs, and the fake
// with it: these cases run on those two only.
#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";

// Linux keeps no archive attribute, which Windows gives every new file.
TEST_P(PlatformContract, ANewFileIsNormal) {
    WriteWholeFile(Scratch("SMS.LOG"), "x");
    EXPECT_EQ(os.GetFileAttributesA(Scratch("SMS.LOG").c_str()), FILE_ATTRIBUTE_NORMAL);
}

// The library creates only named semaphores of count one; the Linux
// platform offers no others. Windows offers both.
TEST_P(PlatformContract, OnlyNamedSemaphoresOfCountOneExist) {
    EXPECT_EQ(ErrorIf([&] { return os.CreateSemaphoreA(nullptr, 1, 2, "Two") == nullptr; }), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ErrorIf([&] { return os.CreateSemaphoreA(nullptr, 1, 1, nullptr) == nullptr; }), ERROR_INVALID_PARAMETER);
}

// A semaphore has no owner on Windows: one taken by a process that dies
// stays taken, and every other agent's timer cycle waits for it in vain. The
// Linux platform gives it back when its holder dies.
TEST_P(PlatformContract, TheTimerSemaphoreOfADeadHolderIsFreeAgain) {
    HANDLE timer = os.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    ASSERT_NE(timer, nullptr);
    std::unique_ptr<Peer> other = world->StartPeer();
    ASSERT_TRUE(other->TakeSemaphore(kTimerSemaphore));
    EXPECT_EQ(os.WaitForSingleObject(timer, 0), WAIT_TIMEOUT);
    other->Die();
    EXPECT_EQ(os.WaitForSingleObject(timer, 0), WAIT_OBJECT_0);

    // Now this process holds it and the other waits in vain.
    std::unique_ptr<Peer> next = world->StartPeer();
    EXPECT_FALSE(next->TakeSemaphore(kTimerSemaphore));
    EXPECT_TRUE(os.ReleaseSemaphore(timer, 1, nullptr));
    EXPECT_TRUE(next->TakeSemaphore(kTimerSemaphore));
    os.CloseHandle(timer);
}

}  // namespace
}  // namespace plv::testing
