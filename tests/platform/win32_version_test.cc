// Version resources through the real version library, read from the
// witnesses the MinGW tools built (version_witness.rc), which the Linux
// reader reads too (pe_version_test.cc): what identification gets on Windows.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "support/command_line.h"

namespace plv::testing {
namespace {

std::uint32_t U32At(const void *bytes, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, static_cast<const std::uint8_t *>(bytes) + at, sizeof value);
    return value;
}

class Win32Witness : public ::testing::TestWithParam<int> {
  protected:
    Win32Witness() {
        DWORD handle = 77;
        const DWORD size = os.GetFileVersionInfoSizeA(path.c_str(), &handle);
        EXPECT_EQ(handle, 0u);
        block.resize(size);
        if (size != 0) {
            EXPECT_TRUE(os.GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
        }
    }

    // A text answer, checked to lie in the block and to end where its length says.
    std::string QueryText(const std::string &subBlock) {
        void *value = nullptr;
        UINT length = 0;
        if (!os.VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return "(none)";
        const auto *text = static_cast<const char *>(value);
        EXPECT_GE(text, reinterpret_cast<const char *>(block.data()));
        EXPECT_LE(text + length, reinterpret_cast<const char *>(block.data() + block.size()));
        EXPECT_EQ(std::strlen(text) + 1, length) << subBlock;
        return text;
    }

    win32::Win32Platform os;
    const std::string path = ThisProgramDirectory() + "\\version_witness" + std::to_string(GetParam()) + ".exe";
    std::vector<std::uint8_t> block;
};

TEST_P(Win32Witness, StringsOfTheFirstTranslationReadInTheAnsiCodePage) {
    ASSERT_FALSE(block.empty()) << path << ": error " << os.GetLastError();
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(std::memcmp(value, "\x09\x04\xB0\x04\x07\x04\xE4\x04", 8), 0);
    ASSERT_EQ(::GetACP(), 1252u) << "the texts below are those of the Western code page";
    const struct {
        std::string subBlock;
        std::string text;
    } cases[] = {
        {"\\StringFileInfo\\040904b0\\ProductName", "Tiny Writer"},
        {"\\StringFileInfo\\040904b0\\CompanyName", "M\xFCller \x80 S\xF6hne"},
        {"\\StringFileInfo\\040904b0\\ProductVersion", "5.6.7.8"},
        // The Western code page lacks both Ō and the emoji: Ō becomes its
        // best-fit letter, each UTF-16 unit of the emoji a '?'.
        {"\\StringFileInfo\\040904b0\\LegalCopyright", "\xA9 Osaka ??"},
        {"\\StringFileInfo\\040904b0\\Comments", ""},
        {"\\StringFileInfo\\040704e4\\ProductName", "Kleiner Schreiber"},
        {"\\STRINGFILEINFO\\040904B0\\productname", "Tiny Writer"},
        {"StringFileInfo\\\\040904b0\\ProductName", "Tiny Writer"},
        {"\\StringFileInfo\\040904b0\\FileDescription", "(none)"},
        {"\\StringFileInfo\\040904b0\\ProductNam", "(none)"},
        {"\\StringFileInfo\\04090000\\ProductName", "(none)"},
        {"\\ProductName", "(none)"},
    };
    for (const auto &c : cases) EXPECT_EQ(QueryText(c.subBlock), c.text) << c.subBlock;
}

TEST_P(Win32Witness, RootAnswersTheFixedFileInfo) {
    ASSERT_FALSE(block.empty());
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, 52u);
    const std::uint32_t expected[13] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00050006,
                                        0x00070008, 0x3F,       0x2,        0x40004,    0x1,
                                        0x0,        0x0,        0x0};
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(U32At(value, 4 * i), expected[i]) << i;
}

TEST_P(Win32Witness, MissingKeysAreNotFound) {
    ASSERT_FALSE(block.empty());
    void *value = nullptr;
    UINT length = 5;
    EXPECT_FALSE(os.VerQueryValueA(block.data(), "\\VarFileInfo\\Nothing", &value, &length));
    EXPECT_EQ(length, 0u);
}

// The resource's bytes, "FE2X", then the room where the ANSI copy of a text
// found at offset p of the resource sits at offset p.
TEST_P(Win32Witness, BlockIsTheResourceTheSignatureAndTheRoomForCopies) {
    ASSERT_FALSE(block.empty());
    const std::size_t resourceLength = block[0] | (block[1] << 8);
    ASSERT_GE(block.size(), 2 * resourceLength + 4);
    EXPECT_EQ(std::memcmp(block.data() + 6, u"VS_VERSION_INFO", 32), 0);
    EXPECT_EQ(std::memcmp(block.data() + resourceLength, "FE2X", 4), 0);

    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(os.VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductName", &value, &length));
    const std::vector<std::uint8_t> utf16Tiny = {'T', 0, 'i', 0, 'n', 0, 'y', 0};
    const auto utf16 =
        std::search(block.begin(), block.begin() + resourceLength, utf16Tiny.begin(), utf16Tiny.end());
    ASSERT_NE(utf16, block.begin() + resourceLength);
    EXPECT_EQ(static_cast<std::uint8_t *>(value), block.data() + resourceLength + 4 + (utf16 - block.begin()));
}

TEST(Win32VersionFiles, AFileWithoutAVersionResourceAnswersZero) {
    win32::Win32Platform os;
    const std::string path = ThisProgramDirectory() + "\\PLVNTPRL.DLL";  // no resources at all
    EXPECT_EQ(os.GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    EXPECT_EQ(os.GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(os.GetFileVersionInfoSizeA((path + ".missing").c_str(), nullptr), 0u);
    EXPECT_EQ(os.GetLastError(), ERROR_FILE_NOT_FOUND);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, Win32Witness, ::testing::Values(32, 64),
                         [](const auto &info) { return "Bits" + std::to_string(info.param); });

}  // namespace
}  // namespace plv::testing
