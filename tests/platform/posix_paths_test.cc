// DOS paths on Linux: drive letters and shares mapped to host directories,
// names matched without regard to case, program paths in DOS form.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using plv::testing::TemporaryDirectory;

class DosPaths : public ::testing::Test {
  protected:
    DosPaths() {
        MapDrive('t', volume.path());
        MapShare("\\\\Server\\Plv", volume / "share");
        ::mkdir((volume / "Logs").c_str(), 0755);
        ::mkdir((volume / "share").c_str(), 0755);
        std::ofstream(volume / "Logs/19980820.Log") << "x";
        std::ofstream(volume / "Logs/Az") << "x";
    }
    std::string HostPath(const char *dos) {
        std::string host;
        const DWORD error = HostPathOf(dos, &host);
        return error ? "error " + std::to_string(error) : host;
    }
    TemporaryDirectory volume;
};

TEST_F(DosPaths, RootsMapToTheirDirectories) {
    const std::string t = volume.path();
    struct {
        const char *dos;
        std::string host;
    } const cases[] = {
        {"Z:\\usr\\bin\\xeyes", "/usr/bin/xeyes"},
        {"z:/usr//bin/./xeyes", "/usr/bin/xeyes"},
        {"\\usr\\bin", "/usr/bin"},
        {"T:\\A\\..\\..\\B\\C.TXT", t + "/B/C.TXT"},
        {"T:\\", t},
        {"T:", t},
        {"T:\\NEW\\", t + "/NEW/"},
        {"T:\\logs\\aZ", t + "/Logs/Az"},  // names that exist keep their case
        {"\\\\SERVER\\plv\\FILE.DAT", t + "/share/FILE.DAT"},
        {"\\\\?\\T:\\X", t + "/X"},
        {"LOGS\\A.LOG", "LOGS/A.LOG"},
        {".", "."},  // the current directory
        {"Q:\\X", "error 3"},
        {"\\\\SERVER\\OTHER\\X", "error 67"},
        {"\\\\NOBODY\\PLV\\X", "error 53"},
        {"\\\\SERVER", "error 53"},
        {"\\\\.\\PLVDOS", "error 2"},
        {"", "error 3"},
    };
    PosixPlatform os;
    for (const auto &c : cases) {
        EXPECT_EQ(HostPath(c.dos), c.host) << c.dos;
        if (!c.host.starts_with("error ")) continue;
        // A file call on a root that does not exist fails with the root's code.
        const DWORD error = ErrorIf(os, [&] { return os.GetFileAttributesA(c.dos) == INVALID_FILE_ATTRIBUTES; });
        EXPECT_EQ("error " + std::to_string(error), c.host) << c.dos;
    }
}

TEST_F(DosPaths, ProgramPathsAreReportedInDosForm) {
    SetDataDirectory(volume / "data");
    MapDrive('F', volume / "share/apps");
    EXPECT_EQ(DosPathOf("/usr/bin/xeyes"), "Z:\\usr\\bin\\xeyes");
    EXPECT_EQ(DosPathOf("/"), "Z:\\");
    EXPECT_EQ(DosPathOf(volume / "data/PLVDOS.VXD"), "C:\\PLVDOS.VXD");
    EXPECT_EQ(DosPathOf(volume / "share/apps/EDITOR.EXE"), "F:\\EDITOR.EXE");
    EXPECT_EQ(DosPathOf(volume / "share/other/X.EXE"), "\\\\SERVER\\PLV\\other\\X.EXE");
    EXPECT_EQ(DosPathOf(volume / "Logs"), "T:\\Logs");
    // A sibling whose name merely begins like a mapped directory is not in it.
    EXPECT_EQ(DosPathOf(volume.path() + "x/y").substr(0, 3), "Z:\\");
    // A relative path is taken from the working directory.
    EXPECT_EQ(DosPathOf("x"), DosPathOf(std::filesystem::current_path() / "x"));
}

}  // namespace
}  // namespace plv::posix
