#include "core/file_errors.h"

#include <set>
#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

class FileErrorTest : public LibraryTest {
  protected:
    FileErrorTest() {
        Initialize();
        fake.files.driveTypes["F:\\"] = DRIVE_REMOTE;
        fake.files.driveTypes["\\\\SRV\\APPS\\"] = DRIVE_REMOTE;
    }
};

TEST_F(FileErrorTest, DriveTypeAsksAboutTheRoot) {
    const std::string kOverlong = "\\\\" + std::string(281, 'S') + "\\SHARE\\FILE";
    struct Case {
        std::string path;
        UINT answer;       // what the platform says about the root asked
        std::string root;  // the root that must be asked
        int32_t type;
    };
    const Case cases[] = {
        {"C:\\APPS\\EDITOR.EXE", DRIVE_FIXED, "C:\\", DRIVE_FIXED},
        // A share answers remote; fixed here shows that its root was asked.
        {"\\\\SRV\\APPS\\EDITOR.EXE", DRIVE_FIXED, "\\\\SRV\\APPS\\", DRIVE_FIXED},
        {"\\\\SRV\\APPS", DRIVE_FIXED, "\\\\SRV\\APPS", DRIVE_FIXED},  // no trailing backslash: whole
        {"D:\\X", DRIVE_CDROM, "D:\\", DRIVE_CDROM},
        {"E:\\X", DRIVE_NO_ROOT_DIR, "E:\\", DRIVE_REMOTE},
        {"G:\\X", DRIVE_UNKNOWN, "G:\\", DRIVE_REMOTE},
        {"RELATIVE\\X", DRIVE_RAMDISK, "RELATIVE\\X", DRIVE_RAMDISK},
        // An overlong path is judged by its first 284 characters.
        {kOverlong, DRIVE_RAMDISK, kOverlong.substr(0, 284), DRIVE_RAMDISK},
    };
    for (const Case &c : cases) {
        fake.files.driveTypes.clear();
        fake.files.driveTypes[c.root] = c.answer;
        EXPECT_EQ(PLVGetDriveType(c.path.c_str()), c.type) << c.path;
    }
}

// Only the errors of a lost server, share or connection, and only on a
// remote path, raise the network-failure flag; every error is recorded.
TEST_F(FileErrorTest, TheNetworkClassErrorsOnARemotePathRaiseTheFlag) {
    const std::set<DWORD> networkClass = {1, 3, 6, 15, 17, 51, 53, 55, 59,
                                          64, 67, 71, 87, 88, 240, 1203, 1222};
    fake.files.driveTypes["C:\\"] = DRIVE_FIXED;
    for (DWORD error = 0; error <= 1300; ++error) {
        for (const char *path : {"F:\\PLV\\A.LOG", "C:\\PLV\\A.LOG"}) {
            core.networkFailure = false;
            fake.SetLastError(error);
            SetFileError(path);
            EXPECT_EQ(GetFileError(), static_cast<int32_t>(error));
            EXPECT_EQ(core.networkFailure, path[0] == 'F' && networkClass.contains(error))
                << error << " on " << path;
        }
    }
}

TEST_F(FileErrorTest, OpenForAppendFollowsTheConventionsAndClosesOnFailedPositioning) {
    const char *path = "F:\\PLV\\LOGS\\A.DEF";
    fake.files.files[path].data = "abc";
    DWORD end = 99;
    HANDLE file = OpenSharedFileForAppend(path, &end);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(fake.errorMode, SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Exclusive: nobody else can open it meanwhile.
    EXPECT_EQ(fake.CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseWithRetries(file, 1));

    // Failed positioning closes the file and records the error.
    fake.files.pointerFaults[path] = {ERROR_NETNAME_DELETED, 1};
    EXPECT_EQ(OpenSharedFileForAppend(path, &end), nullptr);
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
    EXPECT_EQ(GetFileError(), static_cast<int32_t>(ERROR_NETNAME_DELETED));
    EXPECT_TRUE(core.networkFailure);
}

}  // namespace
}  // namespace plv::testing
