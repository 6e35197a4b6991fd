// Drive types from the file system under a mapped root.
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/drives.h"
#include "platform/posix/posix_platform.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::TemporaryDirectory;

TEST(DriveTypes, FileSystemKindsGiveWindowsDriveTypes) {
    struct {
        unsigned long magic;
        UINT type;
    } const cases[] = {
        {0x6969, DRIVE_REMOTE},      {0xFF534D42, DRIVE_REMOTE}, {0xFE534D42, DRIVE_REMOTE},
        {0x517B, DRIVE_REMOTE},      {0x00C36400, DRIVE_REMOTE}, {0x01021994, DRIVE_RAMDISK},
        {0x858458F6, DRIVE_RAMDISK}, {0x9660, DRIVE_CDROM},      {0x15013346, DRIVE_CDROM},
        {0xEF53, DRIVE_FIXED},       {0x9123683E, DRIVE_FIXED},
    };
    for (const auto &c : cases) {
        struct statfs fileSystem{};
        fileSystem.f_type = static_cast<decltype(fileSystem.f_type)>(c.magic);
        // Device 0:99 has no block device behind it, so it is never removable.
        EXPECT_EQ(DriveTypeOf(fileSystem, makedev(0, 99)), c.type) << std::hex << c.magic;
    }
}

bool IsTmpfs(const char *path) {
    struct statfs fileSystem;
    return ::statfs(path, &fileSystem) == 0 && fileSystem.f_type == 0x01021994;
}

TEST(DriveTypes, ATmpfsIsARamDisk) {
    if (!IsTmpfs("/dev/shm")) GTEST_SKIP() << "/dev/shm is no tmpfs here";
    MapDrive('R', "/dev/shm");
    PosixPlatform os;
    EXPECT_EQ(os.GetDriveTypeA("R:\\"), DRIVE_RAMDISK);
}

TEST(DriveTypes, ALocalDiskIsFixed) {
    // The directory of this test binary lies on the disk the build ran on.
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    std::string directory(self, static_cast<std::size_t>(length));
    directory.resize(directory.find_last_of('/'));
    if (IsTmpfs(directory.c_str())) GTEST_SKIP() << "the build tree is on a tmpfs";
    MapDrive('L', directory);
    PosixPlatform os;
    EXPECT_EQ(os.GetDriveTypeA("L:\\"), DRIVE_FIXED);
    EXPECT_EQ(os.GetDriveTypeA("l:"), DRIVE_FIXED);
}

TEST(DriveTypes, RootsThatDoNotExistHaveNoRootDirectory) {
    TemporaryDirectory volume;
    std::ofstream(volume / "file") << "x";
    MapDrive('M', volume / "missing");
    MapDrive('N', volume / "file");
    MapShare("\\\\GONE\\SHARE", volume / "gone");
    PosixPlatform os;
    EXPECT_EQ(os.GetDriveTypeA("M:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(os.GetDriveTypeA("N:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(os.GetDriveTypeA("\\\\GONE\\SHARE\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(os.GetDriveTypeA("\\\\NOBODY\\SHARE\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(os.GetDriveTypeA("Y:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(os.GetDriveTypeA("Z:\\usr\\"), DRIVE_NO_ROOT_DIR);
}

}  // namespace
}  // namespace plv::posix
