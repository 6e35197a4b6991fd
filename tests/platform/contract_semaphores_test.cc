// Named semaphores of count one, shared by name between processes.
#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";

TEST_P(PlatformContract, ASemaphoreIsCreatedOnceAndTakenOnce) {
    HANDLE created = os.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(os.GetLastError(), ERROR_SUCCESS);
    HANDLE again = os.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(os.GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE opened = os.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kTimerSemaphore);
    ASSERT_NE(opened, nullptr);

    EXPECT_EQ(os.WaitForSingleObject(created, 0), WAIT_OBJECT_0);
    EXPECT_EQ(os.WaitForSingleObject(again, 0), WAIT_TIMEOUT);
    EXPECT_EQ(os.WaitForSingleObject(created, 0), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(os.ReleaseSemaphore(opened, 1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(ErrorIf([&] { return !os.ReleaseSemaphore(created, 1, nullptr); }), ERROR_TOO_MANY_POSTS);
    EXPECT_EQ(os.WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(os.ReleaseSemaphore(created, 1, nullptr));

    // Another process finds the name as long as this one has it open.
    std::unique_ptr<Peer> other = world->StartPeer();
    EXPECT_EQ(other->FindSemaphore(kTimerSemaphore), 0u);
    for (HANDLE handle : {created, again, opened}) EXPECT_TRUE(os.CloseHandle(handle));
    EXPECT_EQ(ErrorIf([&] { return os.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kTimerSemaphore) == nullptr; }),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(other->FindSemaphore(kTimerSemaphore), DWORD{ERROR_FILE_NOT_FOUND});
    // A name another process made exists already for this one.
    ASSERT_TRUE(other->TakeSemaphore(kTimerSemaphore));
    HANDLE theirs = os.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore);
    ASSERT_NE(theirs, nullptr);
    EXPECT_EQ(os.GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(os.CloseHandle(theirs));
}

TEST_P(PlatformContract, WaitingOnAHandleThatNamesNothingFails) {
    EXPECT_EQ(ErrorIf([&] { return os.WaitForSingleObject(reinterpret_cast<HANDLE>(std::uintptr_t{0x7FF0}), 0) == WAIT_FAILED; }),
              ERROR_INVALID_HANDLE);
}

TEST_P(PlatformContract, ASemaphoreStartsAtMostAtItsMaximumAndAtZeroIsHeldByItsCreator) {
    EXPECT_EQ(ErrorIf([&] { return os.CreateSemaphoreA(nullptr, 2, 1, "Over") == nullptr; }), ERROR_INVALID_PARAMETER);
    HANDLE start = os.CreateSemaphoreA(nullptr, 0, 1, "PLVStartSemaphore");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(os.WaitForSingleObject(start, 0), WAIT_TIMEOUT);
    EXPECT_EQ(ErrorIf([&] { return !os.ReleaseSemaphore(start, 2, nullptr); }), ERROR_TOO_MANY_POSTS);
    EXPECT_TRUE(os.ReleaseSemaphore(start, 1, nullptr));
    EXPECT_EQ(os.WaitForSingleObject(start, 0), WAIT_OBJECT_0);
    os.CloseHandle(start);
}

}  // namespace
}  // namespace plv::testing
