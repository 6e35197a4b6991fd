// Version resources of the witnesses the MinGW tools built
// (version_witness.rc), read through the seam: by the Linux reader, which
// never saw how these bytes were made, and on Windows by the real version
// library, which the Linux reader must match. What identification gets.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/version_queries.h"
#if defined(_WIN32)
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif

namespace plv::testing {
namespace {

#if defined(_WIN32)
using NativePlatformType = win32::Win32Platform;
// The Western code page lacks both Ō and the emoji: Windows gives Ō its
// best-fit letter and each UTF-16 unit of the emoji a '?'.
constexpr char kCopyright[] = "\xA9 Osaka ??";
#else
using NativePlatformType = posix::PosixPlatform;
// The Linux reader gives one '?' for each character the code page lacks.
constexpr char kCopyright[] = "\xA9 ?saka ?";
#endif

class Witness : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
#if defined(_WIN32)
        ASSERT_EQ(::GetACP(), 1252u) << "the texts below are those of the Western code page";
#endif
        ASSERT_FALSE(block.empty()) << WitnessPath(GetParam()) << ": error " << os.GetLastError();
    }

    NativePlatformType os;
    std::vector<std::uint8_t> block = FetchBlock(os, WitnessPath(GetParam()));
};

// What identification does: the first translation entry names the string
// table, whose texts come in the ANSI code page.
TEST_P(Witness, StringsOfTheFirstTranslationReadInTheAnsiCodePage) {
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(std::memcmp(value, "\x09\x04\xB0\x04\x07\x04\xE4\x04", 8), 0);
    char named[40];
    std::snprintf(named, sizeof named, "\\StringFileInfo\\%04x%04x\\", U32At(value, 0) & 0xFFFF,
                  U32At(value, 0) >> 16);
    const std::string prefix = named;
    EXPECT_EQ(prefix, "\\StringFileInfo\\040904b0\\");

    const std::pair<std::string, std::string> cases[] = {
        {prefix + "ProductName", "Tiny Writer"},
        {prefix + "CompanyName", "M\xFCller \x80 S\xF6hne"},
        {prefix + "ProductVersion", "5.6.7.8"},
        {prefix + "LegalCopyright", kCopyright},
        {prefix + "Comments", ""},
        {"\\StringFileInfo\\040704e4\\ProductName", "Kleiner Schreiber"},
        {"\\STRINGFILEINFO\\040904B0\\productname", "Tiny Writer"},
        {"StringFileInfo\\\\040904b0\\ProductName", "Tiny Writer"},
        {prefix + "FileDescription", "(none)"},
        {prefix + "ProductNam", "(none)"},
        {prefix + "XroductName", "(none)"},
        {"\\StringFileInfo\\04090000\\ProductName", "(none)"},
        {"\\ProductName", "(none)"},
    };
    for (const auto &[subBlock, text] : cases)
        EXPECT_EQ(QueryText(os, block, subBlock), text) << subBlock;

    // Every copy handed out stays valid while the block lives.
    std::vector<std::pair<const char *, std::string>> answers;
    for (const char *name : {"ProductName", "CompanyName", "ProductVersion", "LegalCopyright"}) {
        ASSERT_TRUE(os.VerQueryValueA(block.data(), (prefix + name).c_str(), &value, &length));
        answers.emplace_back(static_cast<const char *>(value), static_cast<const char *>(value));
    }
    for (const auto &[pointer, text] : answers) EXPECT_EQ(pointer, text);
}

TEST_P(Witness, RootAnswersTheFixedFileInfo) {
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, 52u);
    const std::uint32_t expected[13] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00050006,
                                        0x00070008, 0x3F,       0x2,        0x40004,    0x1,
                                        0x0,        0x0,        0x0};
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(U32At(value, 4 * i), expected[i]) << i;
}

TEST_P(Witness, MissingKeysAreNotFound) {
    void *value = block.data();
    UINT length = 5;
    os.SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(os.VerQueryValueA(block.data(), "\\VarFileInfo\\Nothing", &value, &length));
    EXPECT_EQ(length, 0u);
#if !defined(_WIN32)
    // The Linux reader also clears the answer, tells why, and takes no null;
    // Wine leaves a failed lookup's pointer and last error alone.
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(os.GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_FALSE(os.VerQueryValueA(nullptr, "\\", &value, &length));
    EXPECT_FALSE(os.VerQueryValueA(block.data(), nullptr, &value, &length));
#endif
}

// The resource's bytes, "FE2X", then the room where the ANSI copy of a text
// found at offset p of the resource sits at offset p.
TEST_P(Witness, BlockIsTheResourceTheSignatureAndTheRoomForCopies) {
    const std::size_t resourceLength = block[0] | (block[1] << 8);
    ASSERT_GE(block.size(), 2 * resourceLength + 4);
    EXPECT_EQ(std::memcmp(block.data() + 6, u"VS_VERSION_INFO", 32), 0);
    EXPECT_EQ(std::memcmp(block.data() + resourceLength, "FE2X", 4), 0);
#if !defined(_WIN32)
    // The Linux reader's room is exactly that, zeroed, and one byte more;
    // Wine's block is one byte shorter.
    ASSERT_EQ(block.size(), 2 * resourceLength + 5);
    for (std::size_t i = resourceLength + 4; i < block.size(); ++i) ASSERT_EQ(block[i], 0) << i;
#endif

    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductName", &value,
                                  &length));
    const std::vector<std::uint8_t> utf16Tiny = {'T', 0, 'i', 0, 'n', 0, 'y', 0};
    const auto utf16 = std::search(block.begin(), block.begin() + resourceLength, utf16Tiny.begin(),
                                   utf16Tiny.end());
    ASSERT_NE(utf16, block.begin() + resourceLength);
    EXPECT_EQ(static_cast<std::uint8_t *>(value),
              block.data() + resourceLength + 4 + (utf16 - block.begin()));
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, Witness, ::testing::Values(32, 64),
                         [](const auto &info) { return "Bits" + std::to_string(info.param); });

#if defined(_WIN32)
TEST(Win32VersionFiles, AFileWithoutAVersionResourceAnswersZero) {
    win32::Win32Platform os;
    const std::string path = ThisProgramDirectory() + "\\PLVNTPRL.DLL";  // no resources at all
    EXPECT_EQ(os.GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    EXPECT_EQ(os.GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(os.GetFileVersionInfoSizeA((path + ".missing").c_str(), nullptr), 0u);
    EXPECT_EQ(os.GetLastError(), ERROR_FILE_NOT_FOUND);
}
#endif

}  // namespace
}  // namespace plv::testing
