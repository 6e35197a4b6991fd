// Files on the real kernel: a full disk, what is no file, another program's
// shared lock, and attributes where other programs keep them; drive types
// from the file system under a mapped root. (Two processes appending at
// once: posix_shared_writers_test.cc.)
#include <fcntl.h>
#include <linux/gfs2_ondisk.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/drives.h"
#include "platform/posix/ofd_locks.h"
#include "platform/posix/posix_platform.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using plv::testing::TemporaryDirectory;

TEST(SharedFiles, AFullDiskIsError112) {
    MapDrive('D', "/dev");
    PosixPlatform os;
    HANDLE full = os.CreateFileA("D:\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /dev/full here: " << os.GetLastError();
    DWORD written = 7;
    EXPECT_EQ(ErrorIf(os, [&] { return !os.WriteFile(full, "record", 6, &written, nullptr); }), ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    os.CloseHandle(full);
}

TEST(SharedFiles, ADirectoryIsNoFile) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    ASSERT_EQ(::mkdir((volume / "LOGS").c_str(), 0755), 0);
    PosixPlatform os;
    for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
        EXPECT_EQ(ErrorIf(os, [&] {
                      return os.CreateFileA("T:\\LOGS", access, 0, nullptr, OPEN_ALWAYS, 0, nullptr) ==
                             INVALID_HANDLE_VALUE;
                  }),
                  ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(ErrorIf(os, [&] { return !os.DeleteFileA("T:\\LOGS"); }), ERROR_ACCESS_DENIED);
}

// The agent reads the executables of running programs, which the kernel
// keeps from every writer: root too.
TEST(SharedFiles, ARunningProgramOpensForReading) {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    if (int writer = ::open(self.c_str(), O_RDWR); writer >= 0 || errno != ETXTBSY) {
        if (writer >= 0) ::close(writer);
        GTEST_SKIP() << "this kernel lets a running program be written";
    }
    MapDrive('T', self.parent_path().string());
    PosixPlatform os;
    const std::string name = "T:\\" + self.filename().string();
    HANDLE file = os.CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << os.GetLastError();
    char magic[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(os.ReadFile(file, magic, 4, &read, nullptr));
    EXPECT_EQ(std::string(magic, read), "\177ELF");
    os.CloseHandle(file);
}

// In 100-ns ticks since 1601, as Windows gives it: file dates and the
// settings file's change are counted from it.
TEST(SharedFiles, TheLastWriteIsTheModificationTimeInTicksSince1601) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    std::ofstream(volume / "X.EXE") << "x";
    // Written 1998-03-12 23:59:30.5 UTC.
    const timespec times[2] = {{0, UTIME_OMIT}, {889747170, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (volume / "X.EXE").c_str(), times, 0), 0);
    PosixPlatform os;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(os.GetFileAttributesExA("T:\\X.EXE", GetFileExInfoStandard, &data));
    EXPECT_EQ(std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
                  data.ftLastWriteTime.dwLowDateTime,
              125342207705000000u);
    // Only the standard level is answered.
    const auto unknownLevel = static_cast<GET_FILEEX_INFO_LEVELS>(GetFileExInfoStandard + 1);
    EXPECT_EQ(ErrorIf(os, [&] { return !os.GetFileAttributesExA("T:\\X.EXE", unknownLevel, &data); }),
              ERROR_INVALID_PARAMETER);
}

// A failed open has no descriptor to close: the lowest one, the caller's
// standard input, stays open.
TEST(SharedFiles, AFailedOpenClosesNothingOfTheCallers) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    PosixPlatform os;
    if (::fcntl(0, F_GETFD) == -1) {
        ASSERT_EQ(::open("/dev/null", O_RDONLY), 0);
    }
    EXPECT_EQ(ErrorIf(os, [&] { return os.CreateFileA("T:\\NONE.LOG", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) ==
                              INVALID_HANDLE_VALUE; }),
              ERROR_FILE_NOT_FOUND);
    EXPECT_NE(::fcntl(0, F_GETFD), -1) << "standard input was closed";
}

// Another program's shared lock, the kind a descriptor that may only read
// holds, lets reads through and keeps writes out.
TEST(SharedFiles, AnotherProgramsSharedLockKeepsOnlyWritesOut) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    std::ofstream(volume / "CLOCK.DAT") << "0123456789";
    const int holder = ::open((volume / "CLOCK.DAT").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(TryLock(holder, F_RDLCK, 2, 4), 0);
    PosixPlatform os;
    HANDLE file =
        os.CreateFileA("T:\\CLOCK.DAT", GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << os.GetLastError();
    char text[4];
    DWORD count = 0;
    EXPECT_TRUE(os.ReadFile(file, text, 4, &count, nullptr));
    EXPECT_EQ(ErrorIf(os, [&] { return !os.WriteFile(file, "zz", 2, &count, nullptr); }), ERROR_LOCK_VIOLATION);
    os.CloseHandle(file);
    ::close(holder);
}

TEST(SharedFiles, AttributesAreKeptWhereWineAndSambaKeepThem) {
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
    // A plain new file gets no attribute of its own.
    file = os.CreateFileA("T:\\PLAIN.LOG", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    os.CloseHandle(file);
    EXPECT_LT(::getxattr((volume / "PLAIN.LOG").c_str(), "user.DOSATTRIB", value, sizeof value), 0);
    EXPECT_EQ(errno, ENODATA);
    // Nor any mode but a new file's: readable and writable, less the umask.
    struct stat facts{};
    ASSERT_EQ(::stat((volume / "PLAIN.LOG").c_str(), &facts), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(facts.st_mode & 07777, 0666 & ~mask);
    // Read-only takes every write bit away and leaves the rest; writable
    // gives the owner's back.
    const std::string plain = volume / "PLAIN.LOG";
    ASSERT_EQ(::chmod(plain.c_str(), 0775), 0);
    for (const auto &[attributes, mode] : {std::pair{FILE_ATTRIBUTE_READONLY, 0555},
                                          std::pair{FILE_ATTRIBUTE_NORMAL, 0755}}) {
        ASSERT_TRUE(os.SetFileAttributesA("T:\\PLAIN.LOG", attributes));
        ASSERT_EQ(::stat(plain.c_str(), &facts), 0);
        EXPECT_EQ(facts.st_mode & 07777, static_cast<mode_t>(mode)) << attributes;
    }
}

// Every kind the kernel's own headers name; four file systems the kernel
// headers lack carry their magic numbers from their sources.
TEST(DriveTypes, FileSystemKindsGiveWindowsDriveTypes) {
    struct {
        unsigned long magic;
        UINT type;
    } const cases[] = {
        {NFS_SUPER_MAGIC, DRIVE_REMOTE},  {SMB_SUPER_MAGIC, DRIVE_REMOTE},  {CIFS_SUPER_MAGIC, DRIVE_REMOTE},
        {SMB2_SUPER_MAGIC, DRIVE_REMOTE}, {CODA_SUPER_MAGIC, DRIVE_REMOTE}, {NCP_SUPER_MAGIC, DRIVE_REMOTE},
        {AFS_SUPER_MAGIC, DRIVE_REMOTE},  {AFS_FS_MAGIC, DRIVE_REMOTE},     {CEPH_SUPER_MAGIC, DRIVE_REMOTE},
        {V9FS_MAGIC, DRIVE_REMOTE},       {GFS2_MAGIC, DRIVE_REMOTE},       {OCFS2_SUPER_MAGIC, DRIVE_REMOTE},
        {0x0BD00BD0, DRIVE_REMOTE},  // Lustre
        {0x47504653, DRIVE_REMOTE},  // GPFS
        {0x20030528, DRIVE_REMOTE},  // OrangeFS
        {TMPFS_MAGIC, DRIVE_RAMDISK},     {RAMFS_MAGIC, DRIVE_RAMDISK},
        {ISOFS_SUPER_MAGIC, DRIVE_CDROM}, {UDF_SUPER_MAGIC, DRIVE_CDROM},
        {EXT4_SUPER_MAGIC, DRIVE_FIXED},  {BTRFS_SUPER_MAGIC, DRIVE_FIXED},
        {FUSE_SUPER_MAGIC, DRIVE_FIXED},  // no mount of that device: no network type
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
    return ::statfs(path, &fileSystem) == 0 && fileSystem.f_type == TMPFS_MAGIC;
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
