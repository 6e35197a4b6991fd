// Byte-range locks: exclusive, owned by the handle, unlocked only as locked,
// and in the way of other handles' reads and writes.
#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST_P(PlatformContract, LocksOfTwoHandlesOfOneProcessExcludeEachOther) {
    WriteWholeFile(Scratch("CLOCK.DAT"), "0123456789abcdefghij");
    HANDLE first = Open(Scratch("CLOCK.DAT"), kReadWrite, kShareAll, OPEN_EXISTING);
    HANDLE second = Open(Scratch("CLOCK.DAT"), kReadWrite, kShareAll, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(os.LockFile(first, 0, 0, 10, 0));
    struct Attempt {
        HANDLE handle;
        std::uint64_t offset;
        DWORD length;
        bool granted;
    };
    const Attempt attempts[] = {
        {second, 5, 10, false},  // overlaps the first handle's lock
        {first, 8, 4, false},    // overlaps its own lock
        {second, 9, 1, false},   // the last byte
        {second, 10, 5, true},   // right behind it
        {first, 15, 1, true},
        {first, 9, 1, false},  // its own lock's last byte
        {first, 30, 1, true},
        {first, 26, 5, false},             // its last byte is its own lock's first
        {first, 0xFFFFFFF0u, 0x20, true},  // across the 4 GiB line
        {second, 0x100000000u, 1, false},
        {second, 0x100000010u, 1, true},
    };
    for (const Attempt &attempt : attempts) {
        EXPECT_EQ(ErrorIf([&] {
                      return !os.LockFile(attempt.handle, static_cast<DWORD>(attempt.offset),
                                          static_cast<DWORD>(attempt.offset >> 32), attempt.length, 0);
                  }),
                  attempt.granted ? kSucceeded : ERROR_LOCK_VIOLATION)
            << attempt.offset << "+" << attempt.length;
    }

    // A lock's owner reads and writes freely; others may not touch it. Wine
    // lets them: it keeps locks in its server, which its reads and writes
    // do not ask.
    char text[4];
    DWORD count = 0;
    EXPECT_TRUE(os.ReadFile(first, text, 4, &count, nullptr));
    if (!world->UnderWine()) {
        EXPECT_EQ(ErrorIf([&] { return !os.ReadFile(second, text, 4, &count, nullptr); }), ERROR_LOCK_VIOLATION);
        EXPECT_EQ(ErrorIf([&] { return !os.WriteFile(second, "zz", 2, &count, nullptr); }), ERROR_LOCK_VIOLATION);
    }

    // Only the range as it was locked, by its owner, unlocks. Wine tells the
    // others apart from a lock in the way, not as a range not locked.
    const DWORD notLocked = world->UnderWine() ? ERROR_LOCK_VIOLATION : ERROR_NOT_LOCKED;
    EXPECT_EQ(ErrorIf([&] { return !os.UnlockFile(first, 0, 0, 5, 0); }), notLocked);
    EXPECT_EQ(ErrorIf([&] { return !os.UnlockFile(second, 0, 0, 10, 0); }), notLocked);
    EXPECT_TRUE(os.UnlockFile(first, 0, 0, 10, 0));
    EXPECT_TRUE(os.LockFile(second, 0, 0, 5, 0));

    // Closing a handle lets its locks go.
    EXPECT_FALSE(os.LockFile(first, 10, 0, 1, 0));
    os.CloseHandle(second);
    EXPECT_TRUE(os.LockFile(first, 10, 0, 1, 0));
    os.CloseHandle(first);
}

TEST_P(PlatformContract, AnotherProcessesLockHoldsUntilItDies) {
    WriteWholeFile(Scratch("CLOCK.DAT"), std::string("\x13\x62\x08\x14\x0C\x00\x00\x00", 8));
    std::unique_ptr<Peer> keeper = world->StartPeer();
    ASSERT_EQ(keeper->Open(Scratch("CLOCK.DAT"), kReadWrite, kShareAll, OPEN_EXISTING), 0u);
    ASSERT_EQ(keeper->Lock(7, 1), 0u);

    HANDLE reader = Open(Scratch("CLOCK.DAT"), kReadWrite, kShareAll, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorIf([&] { return !os.LockFile(reader, 7, 0, 1, 0); }), ERROR_LOCK_VIOLATION);
    char bytes[7];
    DWORD read = 0;
    EXPECT_TRUE(os.ReadFile(reader, bytes, 7, &read, nullptr));
    EXPECT_EQ(read, 7u);
    EXPECT_EQ(bytes[1], '\x62');

    keeper->Die();
    EXPECT_TRUE(os.LockFile(reader, 7, 0, 1, 0));
    EXPECT_TRUE(os.UnlockFile(reader, 7, 0, 1, 0));
    os.CloseHandle(reader);
}

}  // namespace
}  // namespace plv::testing
