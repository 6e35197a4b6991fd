// Files on the real kernel: a full disk, what is no file, and the hidden
// attribute where other programs keep it. (Two processes appending at once:
// posix_shared_writers_test.cc.)
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::TemporaryDirectory;

TEST(SharedFiles, AFullDiskIsError112) {
    MapDrive('D', "/dev");
    PosixPlatform os;
    HANDLE full = os.CreateFileA("D:\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /dev/full here: " << os.GetLastError();
    DWORD written = 7;
    EXPECT_FALSE(os.WriteFile(full, "record", 6, &written, nullptr));
    EXPECT_EQ(os.GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    os.CloseHandle(full);
}

TEST(SharedFiles, ADirectoryIsNoFile) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    ASSERT_EQ(::mkdir((volume / "LOGS").c_str(), 0755), 0);
    PosixPlatform os;
    for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
        EXPECT_EQ(os.CreateFileA("T:\\LOGS", access, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(os.GetLastError(), ERROR_ACCESS_DENIED);
    }
    EXPECT_FALSE(os.DeleteFileA("T:\\LOGS"));
    EXPECT_EQ(os.GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(SharedFiles, TheHiddenAttributeIsKeptWhereWineAndSambaKeepIt) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    PosixPlatform os;
    HANDLE file = os.CreateFileA("T:\\SMS.LOG", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    os.CloseHandle(file);
    char value[16] = {};
    const ssize_t length = ::getxattr((volume / "SMS.LOG").c_str(), "user.DOSATTRIB", value, sizeof value);
    if (length < 0 && errno == ENOTSUP) GTEST_SKIP() << "no extended attributes here";
    EXPECT_EQ(std::string(value, static_cast<std::size_t>(length)), "0x2");
    EXPECT_EQ(os.GetFileAttributesA("T:\\SMS.LOG"), FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
}  // namespace plv::posix
