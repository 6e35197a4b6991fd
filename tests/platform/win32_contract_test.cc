// Where Windows differs from the Linux platform by the latter's design, the
// contract's case for Linux runs there and on the fake only
// (contract_linux_only_test.cc); Windows' own behaviour is held here.
#include "platform/platform_contract.h"

namespace plv::testing {
namespace {

constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";

// A semaphore has no owner: the count a dead process took stays taken.
TEST_P(PlatformContract, TheTimerSemaphoreOfADeadHolderStaysTaken) {
    HANDLE timer = os.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    ASSERT_NE(timer, nullptr);
    std::unique_ptr<Peer> other = world->StartPeer();
    ASSERT_TRUE(other->TakeSemaphore(kTimerSemaphore));
    other->Die();
    EXPECT_EQ(os.WaitForSingleObject(timer, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(os.ReleaseSemaphore(timer, 1, nullptr));
    EXPECT_EQ(os.WaitForSingleObject(timer, 0), WAIT_OBJECT_0);
    os.CloseHandle(timer);
}

// Unnamed semaphores and counts above one, which the Linux platform leaves
// out, exist here.
TEST_P(PlatformContract, UnnamedSemaphoresAndLargerCountsExist) {
    HANDLE unnamed = os.CreateSemaphoreA(nullptr, 1, 1, nullptr);
    ASSERT_NE(unnamed, nullptr);
    HANDLE two = os.CreateSemaphoreA(nullptr, 2, 2, "Two");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(os.WaitForSingleObject(two, 0), WAIT_OBJECT_0);
    EXPECT_EQ(os.WaitForSingleObject(two, 0), WAIT_OBJECT_0);
    EXPECT_EQ(os.WaitForSingleObject(two, 0), WAIT_TIMEOUT);
    os.CloseHandle(two);
    os.CloseHandle(unnamed);
}

}  // namespace
}  // namespace plv::testing
