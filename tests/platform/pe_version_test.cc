// Version resources of Windows executables, read on Linux through the seam:
// images put together here, files that carry none, and the language names.
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/pe_image_builder.h"
#include "platform/posix/posix_platform.h"
#include "platform/version_queries.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

using posix::PosixPlatform;

TEST(PeVersionFiles, BuiltImagesOfBothKindsAreRead) {
    PosixPlatform platform;
    TemporaryDirectory scratch;
    for (PeKind kind : {PeKind::kPe32, PeKind::kPe32Plus}) {
        const std::string path =
            WriteHostFile(scratch / "app.exe", BuildPeImage(kind, SampleVersionBlock()).bytes);
        std::vector<std::uint8_t> block = FetchBlock(platform, posix::DosPathOf(path));
        ASSERT_EQ(block.size(), 2 * SampleVersionBlock().size() + 5);
        EXPECT_EQ(QueryText(platform, block, "\\StringFileInfo\\040904b0\\ProductName"), "Writer Deluxe");
        EXPECT_EQ(QueryText(platform, block, "\\StringFileInfo\\040904b0\\CompanyName"), "Example Works");
    }
}

TEST(PeVersionFiles, FilesWithoutAResourceAnswerZeroAndTheirError) {
    PosixPlatform platform;
    TemporaryDirectory scratch;
    const std::string fifo = scratch / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string what;
        std::string path;
        DWORD error;
    } cases[] = {
        {"missing", scratch / "missing.exe", ERROR_FILE_NOT_FOUND},
        {"text", WriteHostFile(scratch / "readme.txt", std::string("hello\n")),
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"empty", WriteHostFile(scratch / "empty.exe", std::string()),
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"ELF executable", "/proc/self/exe", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"directory", scratch.path(), ERROR_ACCESS_DENIED},
        {"named pipe without writer", fifo, ERROR_ACCESS_DENIED},
        {"other resources only",
         WriteHostFile(scratch / "icons.exe",
                       BuildPeImage(PeKind::kPe32, SampleVersionBlock(), 3).bytes),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const auto &c : cases) {
        platform.SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(platform.GetFileVersionInfoSizeA(posix::DosPathOf(c.path).c_str(), nullptr), 0u)
            << c.what;
        EXPECT_EQ(platform.GetLastError(), c.error) << c.what;
        std::uint8_t buffer[64] = {};
        EXPECT_FALSE(platform.GetFileVersionInfoA(posix::DosPathOf(c.path).c_str(), 0,
                                                  sizeof buffer, buffer));
        EXPECT_EQ(platform.GetLastError(), c.error) << c.what;
    }
}

// Windows would fill a short buffer with a cut block that later lookups walk
// past; here it is refused and left untouched.
TEST(PeVersionFiles, ABufferShorterThanTheAnsweredSizeIsRefused) {
    PosixPlatform platform;
    const std::string path = WitnessPath(32);
    const DWORD size = platform.GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> buffer(size - 1, 0xAB);
    EXPECT_FALSE(platform.GetFileVersionInfoA(path.c_str(), 0, size - 1, buffer.data()));
    EXPECT_EQ(platform.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(size - 1, 0xAB));
    EXPECT_FALSE(platform.GetFileVersionInfoA(path.c_str(), 0, size, nullptr));
}

TEST(PeVersionFiles, LanguageNamesAreCutToTheBufferAndCountWhatWasCopied) {
    PosixPlatform platform;
    const struct {
        DWORD language;
        DWORD size;
        const char *name;
        DWORD answer;
    } cases[] = {
        {0x0409, 64, "English (United States)", 23},
        {0x0409, 9, "English ", 8},
        {0x0407, 9, "German (", 8},
        {0x0C0A, 64, "Spanish (Spain)", 15},
        {0x0000, 64, "Language Neutral", 16},
        {0x1234, 64, "Unknown language", 16},
        {0x0409, 1, "", 0},
    };
    for (const auto &c : cases) {
        char name[64];
        std::memset(name, 'x', sizeof name);
        EXPECT_EQ(platform.VerLanguageNameA(c.language, name, c.size), c.answer) << c.language;
        EXPECT_STREQ(name, c.name);
    }
    EXPECT_EQ(platform.VerLanguageNameA(0x0409, nullptr, 0), 23u);
}

}  // namespace
}  // namespace plv::testing
