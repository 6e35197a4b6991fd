// Version resources of Windows executables, read on Linux through the seam:
// executables built by the MinGW tools, then files that carry none.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/pe_image_builder.h"
#include "platform/posix/posix_platform.h"
#include "platform/version_test_files.h"

namespace plv::testing {
namespace {

using posix::PosixPlatform;

// A block as GetFileVersionInfoA fills it, in a buffer of exactly the size
// GetFileVersionInfoSizeA answered, so that the sanitizer sees any overrun.
std::vector<std::uint8_t> FetchBlock(PosixPlatform &platform, const std::string &dosPath) {
    DWORD handle = 77;
    const DWORD size = platform.GetFileVersionInfoSizeA(dosPath.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<std::uint8_t> block(size);
    if (size != 0) {
        EXPECT_TRUE(platform.GetFileVersionInfoA(dosPath.c_str(), 0, size, block.data()));
    }
    return block;
}

// A text answer, checked to lie in the block and to end where its length says.
std::string QueryText(PosixPlatform &platform, std::vector<std::uint8_t> &block,
                      const std::string &subBlock) {
    void *value = nullptr;
    UINT length = 0;
    if (!platform.VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return "(none)";
    const auto *text = static_cast<const char *>(value);
    EXPECT_GE(text, reinterpret_cast<const char *>(block.data()));
    EXPECT_LE(text + length, reinterpret_cast<const char *>(block.data() + block.size()));
    EXPECT_EQ(std::strlen(text) + 1, length) << subBlock;
    return text;
}

std::uint32_t U32At(const void *bytes, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, static_cast<const std::uint8_t *>(bytes) + at, sizeof value);
    return value;
}

class WitnessTest : public ::testing::TestWithParam<int> {
  protected:
    PosixPlatform platform;
    std::vector<std::uint8_t> block = FetchBlock(platform, DosPathOf(WitnessPath(GetParam())));
};

// What identification does: the first translation entry names the string
// table, whose texts come in the ANSI code page.
TEST_P(WitnessTest, StringsOfTheFirstTranslationReadInTheAnsiCodePage) {
    ASSERT_FALSE(block.empty());
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(platform.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(std::memcmp(value, "\x09\x04\xB0\x04\x07\x04\xE4\x04", 8), 0);
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\",
                  U32At(value, 0) & 0xFFFF, U32At(value, 0) >> 16);
    EXPECT_STREQ(prefix, "\\StringFileInfo\\040904b0\\");

    const struct {
        std::string subBlock;
        std::string text;
    } cases[] = {
        {std::string(prefix) + "ProductName", "Tiny Writer"},
        {std::string(prefix) + "CompanyName", "M\xFCller \x80 S\xF6hne"},
        {std::string(prefix) + "ProductVersion", "5.6.7.8"},
        {std::string(prefix) + "LegalCopyright", "\xA9 ?saka ?"},
        {std::string(prefix) + "Comments", ""},
        {"\\StringFileInfo\\040704e4\\ProductName", "Kleiner Schreiber"},
        {"\\STRINGFILEINFO\\040904B0\\productname", "Tiny Writer"},
        {"StringFileInfo\\\\040904b0\\ProductName", "Tiny Writer"},
        {std::string(prefix) + "FileDescription", "(none)"},
        {std::string(prefix) + "ProductNam", "(none)"},
        {"\\StringFileInfo\\04090000\\ProductName", "(none)"},
        {"\\ProductName", "(none)"},
    };
    for (const auto &c : cases) EXPECT_EQ(QueryText(platform, block, c.subBlock), c.text) << c.subBlock;
}

TEST_P(WitnessTest, RootAnswersTheFixedFileInfo) {
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(platform.VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, 52u);
    const std::uint32_t expected[13] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00050006,
                                        0x00070008, 0x3F,       0x2,        0x40004,    0x1,
                                        0x0,        0x0,        0x0};
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(U32At(value, 4 * i), expected[i]) << i;
}

TEST_P(WitnessTest, MissingKeysFailWithTheResourceError) {
    void *value = block.data();
    UINT length = 5;
    platform.SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(platform.VerQueryValueA(block.data(), "\\VarFileInfo\\Nothing", &value, &length));
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(platform.GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_FALSE(platform.VerQueryValueA(nullptr, "\\", &value, &length));
    EXPECT_FALSE(platform.VerQueryValueA(block.data(), nullptr, &value, &length));
}

// The resource's bytes, "FE2X", then the room where the ANSI copy of a text
// found at offset p of the resource sits at offset p.
TEST_P(WitnessTest, BlockIsTheResourceTheSignatureAndTheRoomForCopies) {
    const std::size_t resourceLength = block[0] | (block[1] << 8);
    ASSERT_EQ(block.size(), 2 * resourceLength + 5);
    EXPECT_EQ(std::memcmp(block.data() + 6, u"VS_VERSION_INFO", 32), 0);
    EXPECT_EQ(std::memcmp(block.data() + resourceLength, "FE2X", 4), 0);
    for (std::size_t i = resourceLength + 4; i < block.size(); ++i) ASSERT_EQ(block[i], 0) << i;

    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(platform.VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductName",
                                        &value, &length));
    const std::vector<std::uint8_t> utf16Tiny = {'T', 0, 'i', 0, 'n', 0, 'y', 0};
    const auto utf16 = std::search(block.begin(), block.begin() + resourceLength,
                                   utf16Tiny.begin(), utf16Tiny.end());
    ASSERT_NE(utf16, block.begin() + resourceLength);
    EXPECT_EQ(static_cast<std::uint8_t *>(value),
              block.data() + resourceLength + 4 + (utf16 - block.begin()));
}

TEST_P(WitnessTest, EveryCopyStaysValidWhileTheBlockLives) {
    const char *names[] = {"ProductName", "CompanyName", "ProductVersion", "LegalCopyright"};
    std::vector<std::pair<const char *, std::string>> answers;
    for (const char *name : names) {
        void *value = nullptr;
        UINT length = 0;
        const std::string subBlock = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(platform.VerQueryValueA(block.data(), subBlock.c_str(), &value, &length));
        answers.emplace_back(static_cast<const char *>(value), static_cast<const char *>(value));
    }
    for (const auto &[pointer, text] : answers) EXPECT_EQ(pointer, text);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, WitnessTest, ::testing::Values(32, 64),
                         [](const auto &info) { return "Bits" + std::to_string(info.param); });

TEST(PeVersionFiles, BuiltImagesOfBothKindsAreRead) {
    PosixPlatform platform;
    ScratchDirectory scratch;
    for (PeKind kind : {PeKind::kPe32, PeKind::kPe32Plus}) {
        const std::string path = scratch.Write("app.exe", BuildPeImage(kind, SampleVersionBlock()).bytes);
        std::vector<std::uint8_t> block = FetchBlock(platform, DosPathOf(path));
        ASSERT_EQ(block.size(), 2 * SampleVersionBlock().size() + 5);
        EXPECT_EQ(QueryText(platform, block, "\\StringFileInfo\\040904b0\\ProductName"), "Writer Deluxe");
        EXPECT_EQ(QueryText(platform, block, "\\StringFileInfo\\040904b0\\CompanyName"), "Example Works");
    }
}

TEST(PeVersionFiles, FilesWithoutAResourceAnswerZeroAndTheirError) {
    PosixPlatform platform;
    ScratchDirectory scratch;
    const std::string fifo = scratch.path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', '\n'};
    const struct {
        std::string what;
        std::string path;
        DWORD error;
    } cases[] = {
        {"missing", scratch.path() + "/missing.exe", ERROR_FILE_NOT_FOUND},
        {"text", scratch.Write("readme.txt", text), ERROR_RESOURCE_DATA_NOT_FOUND},
        {"empty", scratch.Write("empty.exe", {}), ERROR_RESOURCE_DATA_NOT_FOUND},
        {"ELF executable", "/proc/self/exe", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"directory", scratch.path(), ERROR_ACCESS_DENIED},
        {"named pipe without writer", fifo, ERROR_ACCESS_DENIED},
        {"other resources only",
         scratch.Write("icons.exe", BuildPeImage(PeKind::kPe32, SampleVersionBlock(), 3).bytes),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const auto &c : cases) {
        platform.SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(platform.GetFileVersionInfoSizeA(DosPathOf(c.path).c_str(), nullptr), 0u) << c.what;
        EXPECT_EQ(platform.GetLastError(), c.error) << c.what;
        std::uint8_t buffer[64] = {};
        EXPECT_FALSE(platform.GetFileVersionInfoA(DosPathOf(c.path).c_str(), 0, sizeof buffer, buffer));
        EXPECT_EQ(platform.GetLastError(), c.error) << c.what;
    }
}

// Windows would fill a short buffer with a cut block that later lookups walk
// past; here it is refused and left untouched.
TEST(PeVersionFiles, ABufferShorterThanTheAnsweredSizeIsRefused) {
    PosixPlatform platform;
    const std::string path = DosPathOf(WitnessPath(32));
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
