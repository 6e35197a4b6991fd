// Version resources of Windows executables, read on Linux through the seam:
// images put together here, files that carry none, and the language names;
// lookups in a block (texts in the ANSI code page, nodes whose declared
// lengths lie, each walk held inside the lengths that enclose it); and
// damaged, truncated and hostile executables, every one answering "no
// resource" with the error Windows gives, or a block whose lookups stay
// inside it.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/pe_image_builder.h"
#include "platform/posix/pe_version.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/version_block.h"
#include "platform/version_queries.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

using posix::PosixPlatform;

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
        const std::string path = posix::DosPathOf(c.path);
        EXPECT_EQ(ErrorIf(platform, [&] { return platform.GetFileVersionInfoSizeA(path.c_str(), nullptr) == 0; }), c.error) << c.what;
        std::uint8_t buffer[64] = {};
        EXPECT_EQ(ErrorIf(platform, [&] { return !platform.GetFileVersionInfoA(path.c_str(), 0, sizeof buffer, buffer); }), c.error) << c.what;
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
    EXPECT_EQ(ErrorIf(platform, [&] { return !platform.GetFileVersionInfoA(path.c_str(), 0, size - 1, buffer.data()); }),
              ERROR_INSUFFICIENT_BUFFER);
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
        {0x0409, 23, "English (United States", 22},
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
    // Without room, or without a buffer, nothing is copied.
    char untouched[] = "abc";
    EXPECT_EQ(platform.VerLanguageNameA(0x0409, untouched, 0), 23u);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(platform.VerLanguageNameA(0x0409, nullptr, 0), 23u);
    EXPECT_EQ(platform.VerLanguageNameA(0x0409, nullptr, 64), 23u);
}

// Every known language is named after its primary language (the low ten
// bits of its id, as winnt.h numbers them), and each of those is known with
// its default sublanguage.
TEST(PeVersionFiles, EachLanguageIsNamedAfterItsPrimaryLanguage) {
    const std::map<DWORD, std::string> primaries = {
        {0x01, "Arabic"},    {0x03, "Catalan"}, {0x04, "Chinese"},    {0x05, "Czech"},
        {0x06, "Danish"},    {0x07, "German"},  {0x08, "Greek"},      {0x09, "English"},
        {0x0A, "Spanish"},   {0x0B, "Finnish"}, {0x0C, "French"},     {0x0D, "Hebrew"},
        {0x0E, "Hungarian"}, {0x10, "Italian"}, {0x11, "Japanese"},   {0x12, "Korean"},
        {0x13, "Dutch"},     {0x15, "Polish"},  {0x16, "Portuguese"}, {0x19, "Russian"},
        {0x1D, "Swedish"},   {0x1F, "Turkish"}};
    PosixPlatform platform;
    int known = 0;
    for (DWORD language = 1; language <= 0xFFFF; ++language) {
        char name[64];
        platform.VerLanguageNameA(language, name, sizeof name);
        const auto primary = primaries.find(language & 0x3FF);
        if (std::strcmp(name, "Unknown language") == 0) {
            EXPECT_FALSE(language >> 10 == 1 && primary != primaries.end()) << language;
            continue;
        }
        ++known;
        ASSERT_NE(primary, primaries.end()) << name;
        EXPECT_EQ(std::string(name).rfind(primary->second + " (", 0), 0u) << name;
    }
    EXPECT_EQ(known, 33);  // with the seven other German, English, French, ... sublanguages
}

// Looks a text up in a block built from `resource`, in a buffer of exactly
// the block's size so the sanitizer sees any overrun.
std::string Lookup(const std::vector<std::uint8_t> &resource, const char *subBlock,
                   UINT *length = nullptr) {
    std::vector<std::uint8_t> block = BlockOf(resource);
    void *value = nullptr;
    UINT valueLength = 0;
    if (!posix::QueryVersionBlock(block.data(), subBlock, &value, &valueLength)) return "(none)";
    if (length != nullptr) *length = valueLength;
    return static_cast<const char *>(value);
}

VersionNode Root(std::vector<VersionNode> strings) {
    VersionNode root = BlockNode(u"VS_VERSION_INFO", {});
    root.text = false;
    root.children = {BlockNode(u"StringFileInfo", {BlockNode(u"040904b0", std::move(strings))})};
    return root;
}

constexpr const char *kName = "\\StringFileInfo\\040904b0\\ProductName";

TEST(VersionBlock, TextsAreConvertedToTheAnsiCodePage) {
    const struct {
        std::u16string utf16;
        std::string ansi;
    } cases[] = {
        {u"Writer", "Writer"},
        {u"\u20AC\u201A\u0178\u017D", "\x80\x82\x9F\x8E"},
        {u"\u00E9\u00FF\u00A0", "\xE9\xFF\xA0"},
        {u"\u0100\u4E2D", "??"},
        {u"a\U0001F600b", "a?b"},
        {std::u16string(u"a") + char16_t{0xD800} + u"b", "a?b"},
        {std::u16string(u"cut") + char16_t{0} + u"here", "cut"},
    };
    for (const auto &c : cases) {
        UINT length = 0;
        EXPECT_EQ(Lookup(EncodeVersionNode(Root({TextNode(u"ProductName", c.utf16)})), kName, &length),
                  c.ansi);
        EXPECT_EQ(length, c.ansi.size() + 1);
    }
}

// An empty text that ends the resource still gets its terminator in the
// block, the one byte the room has beyond the resource's length.
TEST(VersionBlock, AnEmptyTextAtTheVeryEndHasRoomForItsTerminator) {
    VersionNode empty = TextNode(u"Comments", u"");
    empty.value.clear();
    empty.valueLength = 0;
    UINT length = 99;
    EXPECT_EQ(Lookup(EncodeVersionNode(Root({empty})), "\\StringFileInfo\\040904b0\\Comments",
                     &length),
              "");
    EXPECT_EQ(length, 0u);
}

std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t at,
                                  std::uint16_t value) {
    PutU16(bytes, at, value);
    return bytes;
}

std::size_t OffsetOf(const std::vector<std::uint8_t> &bytes, const std::u16string &key) {
    std::vector<std::uint8_t> pattern;
    for (char16_t unit : key) {
        pattern.push_back(static_cast<std::uint8_t>(unit));
        pattern.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    const auto found = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    return static_cast<std::size_t>(found - bytes.begin()) - 6;  // the node's header
}

TEST(VersionBlock, DeclaredLengthsAreHeldToTheirEnclosingNodes) {
    VersionNode unterminated = TextNode(u"ProductName", u"Writer");
    unterminated.value.resize(unterminated.value.size() - 2);
    const auto good = EncodeVersionNode(
        Root({TextNode(u"CompanyName", u"Works"), unterminated, TextNode(u"Trademarks", u"TM")}));
    const std::size_t company = OffsetOf(good, u"CompanyName");
    const std::size_t product = OffsetOf(good, u"ProductName");
    const std::size_t strings = OffsetOf(good, u"040904b0");
    const char *kCompany = "\\StringFileInfo\\040904b0\\CompanyName";
    const char *kMarks = "\\StringFileInfo\\040904b0\\Trademarks";
    const struct {
        const char *what;
        std::vector<std::uint8_t> resource;
        const char *subBlock;
        std::string answer;
    } cases[] = {
        {"text without terminator ends with its node", good, kName, "Writer"},
        {"text claiming more than its node", Patched(good, product + 2, 1000), kName, "Writer"},
        {"text claiming more leaves the next node in place", Patched(good, product + 2, 1000), kMarks,
         "TM"},
        {"child longer than its parent", Patched(good, product, 0x7000), kName, "(none)"},
        {"nodes before a bad child are found", Patched(good, product, 0x7000), kCompany, "Works"},
        {"nodes after a bad child are not", Patched(good, product, 0x7000), kMarks, "(none)"},
        {"child of length zero", Patched(good, product, 0), kMarks, "(none)"},
        {"key filling its node without terminator", Patched(good, company, 6 + 2 * 11), kCompany,
         "(none)"},
        {"table shorter than its first child", Patched(good, strings, 40), kCompany, "(none)"},
        {"root shorter than a header", Patched(good, 0, 4), kCompany, "(none)"},
    };
    for (const auto &c : cases) EXPECT_EQ(Lookup(c.resource, c.subBlock), c.answer) << c.what;
}

TEST(VersionBlock, BinaryValueClaimingMoreThanItsNodeIsCutThere) {
    const auto resource = Patched(SampleVersionBlock(), 2, 0xFFFF);
    std::vector<std::uint8_t> block = BlockOf(resource);
    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(posix::QueryVersionBlock(block.data(), "\\", &value, &length));
    EXPECT_EQ(static_cast<std::uint8_t *>(value) + length, block.data() + resource.size());
    EXPECT_FALSE(posix::QueryVersionBlock(block.data(), "\\VarFileInfo\\Translation", &value, &length));
}

posix::ByteReader MemoryReader(const std::vector<std::uint8_t> &bytes, std::size_t length) {
    return [&bytes, length](std::uint64_t offset, std::size_t size, void *out) {
        if (offset > length || size > length - offset) return false;
        std::memcpy(out, bytes.data() + offset, size);
        return true;
    };
}

constexpr const char *kLookups[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo\\040904b0\\ProductName",
    "\\StringFileInfo\\040904b0\\CompanyName",
    "\\StringFileInfo\\040904b0\\ProductVersion",
    "\\StringFileInfo\\040904b0\\LegalCopyright",
};

// Reads the first `length` bytes as an executable; when a block comes out,
// runs the lookups over it. Answers whether one came out.
bool Exercise(const std::vector<std::uint8_t> &bytes, std::size_t length) {
    const posix::VersionResource found = posix::FindVersionResource(MemoryReader(bytes, length));
    if (found.error != ERROR_SUCCESS) {
        EXPECT_TRUE(found.error == ERROR_RESOURCE_DATA_NOT_FOUND ||
                    found.error == ERROR_RESOURCE_TYPE_NOT_FOUND) << found.error;
        return false;
    }
    EXPECT_GE(found.bytes.size(), 6u);
    EXPECT_EQ(found.bytes.size(), std::size_t{found.bytes[0]} | (std::size_t{found.bytes[1]} << 8));
    std::vector<std::uint8_t> block = BlockOf(found.bytes);
    for (const char *subBlock : kLookups) {
        void *value = nullptr;
        UINT valueLength = 0;
        if (!posix::QueryVersionBlock(block.data(), subBlock, &value, &valueLength)) continue;
        const auto *answer = static_cast<const std::uint8_t *>(value);
        EXPECT_GE(answer, block.data());
        EXPECT_LE(answer + valueLength, block.data() + block.size());
    }
    return true;
}

std::vector<std::uint8_t> WitnessBytes(int bits) {
    const std::string bytes = ReadHostFile(WitnessHostPath(bits));
    EXPECT_FALSE(bytes.empty()) << WitnessHostPath(bits);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::vector<std::uint8_t>> SampleFiles() {
    return {WitnessBytes(32), WitnessBytes(64),
            BuildPeImage(PeKind::kPe32, SampleVersionBlock()).bytes,
            BuildPeImage(PeKind::kPe32Plus, SampleVersionBlock()).bytes};
}

struct Damage {
    const char *what;
    std::function<void(PeImage &)> apply;
    DWORD error;
};

constexpr DWORD kNoData = ERROR_RESOURCE_DATA_NOT_FOUND, kNoType = ERROR_RESOURCE_TYPE_NOT_FOUND;

// clang-format off
const Damage kDamages[] = {
    {"no MZ", [](PeImage &i) { PutU16(i.bytes, 0, 0x5A4E); }, kNoData},
    {"PE header beyond the file", [](PeImage &i) { PutU32(i.bytes, 0x3C, 0xFFFFFFF0); }, kNoData},
    {"wrong PE signature", [](PeImage &i) { PutU32(i.bytes, i.peHeader, 0x00004551); }, kNoData},
    {"unknown optional header", [](PeImage &i) { PutU16(i.bytes, i.peHeader + 24, 0x107); }, kNoData},
    {"only two data directories", [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory - 20, 2); }, kNoData},
    {"optional header too short for the resource entry", [](PeImage &i) {
         PutU16(i.bytes, i.peHeader + 20, static_cast<std::uint16_t>(i.resourceDataDirectory - i.peHeader - 24 + 4));
     }, kNoData},
    {"no resource directory", [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory, 0); }, kNoData},
    {"resource directory outside every section",
     [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory, 0x9000); }, kNoData},
    {"section data beyond the file", [](PeImage &i) { PutU32(i.bytes, i.sectionHeader + 20, 0x7FFFFFF0); }, kNoData},
    {"section table beyond the file", [](PeImage &i) { PutU16(i.bytes, i.peHeader + 6, 0xFFFF); }, kNoData},
    {"no version type", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 16, 3); }, kNoType},
    {"type entries running off the section", [](PeImage &i) {
         PutU32(i.bytes, i.typeDirectory + 16, 3);
         PutU16(i.bytes, i.typeDirectory + 14, 0xFFFF);
     }, kNoType},
    {"named entries are not ids", [](PeImage &i) { PutU16(i.bytes, i.typeDirectory + 12, 1); }, kNoType},
    {"type directory points at itself", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0x80000000u); }, kNoData},
    {"name directory points at itself", [](PeImage &i) { PutU32(i.bytes, i.nameDirectory + 20, 0x80000018u); }, kNoData},
    {"language directory points back at the root",
     [](PeImage &i) { PutU32(i.bytes, i.languageDirectory + 20, 0x80000000u); }, kNoData},
    {"version type leads to data", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0x48); }, kNoData},
    {"empty name directory", [](PeImage &i) { PutU16(i.bytes, i.nameDirectory + 14, 0); }, kNoData},
    {"directory far beyond the section", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0xFFFFFFFFu); }, kNoData},
    {"block in the file's padding beyond the section's virtual size", [](PeImage &i) {
         const std::uint32_t virtualSize = i.bytes[i.sectionHeader + 8] | (i.bytes[i.sectionHeader + 9] << 8);
         PutU16(i.bytes, i.typeDirectory + virtualSize + 8, 8);  // a node of just a header and key
         PutU32(i.bytes, i.dataEntry, i.resourceRva + virtualSize + 8);
     }, kNoData},
    {"raw data ending before the block, though the virtual size holds it",
     [](PeImage &i) { PutU32(i.bytes, i.sectionHeader + 16, static_cast<std::uint32_t>(i.block - i.typeDirectory)); }, kNoData},
    {"data entry smaller than the block", [](PeImage &i) {
         PutU32(i.bytes, i.dataEntry + 4, (i.bytes[i.block] | (i.bytes[i.block + 1] << 8)) - 1u);
     }, kNoData},
    {"block shorter than its header", [](PeImage &i) { PutU16(i.bytes, i.block, 4); }, kNoData},
    {"no virtual size, as old linkers leave it: the raw size holds",
     [](PeImage &i) { PutU32(i.bytes, i.sectionHeader + 8, 0); }, ERROR_SUCCESS},
    {"data entry claiming 4 GiB reads just the block",
     [](PeImage &i) { PutU32(i.bytes, i.dataEntry + 4, 0xFFFFFFFFu); }, ERROR_SUCCESS},
};
// clang-format on

TEST(PeDamage, EachDamagedStructureAnswersNoResourceWithWindowsError) {
    posix::PosixPlatform platform;
    TemporaryDirectory scratch;
    for (PeKind kind : {PeKind::kPe32, PeKind::kPe32Plus}) {
        for (const Damage &damage : kDamages) {
            PeImage image = BuildPeImage(kind, SampleVersionBlock());
            damage.apply(image);
            const std::string path =
                posix::DosPathOf(WriteHostFile(scratch / "damaged.exe", image.bytes));
            platform.SetLastError(ERROR_SUCCESS);
            const DWORD size = platform.GetFileVersionInfoSizeA(path.c_str(), nullptr);
            EXPECT_EQ(size != 0, damage.error == ERROR_SUCCESS) << damage.what;
            EXPECT_EQ(platform.GetLastError(), damage.error) << damage.what;
            EXPECT_EQ(Exercise(image.bytes, image.bytes.size()), damage.error == ERROR_SUCCESS);
        }
    }
}

// Cut short, a file holds its block from some length on, and the block is
// then the whole file's.
TEST(PeDamage, EveryPrefixOfAGoodFileIsReadSafely) {
    posix::PosixPlatform platform;
    TemporaryDirectory scratch;
    for (const auto &whole : SampleFiles()) {
        const std::string host = WriteHostFile(scratch / "cut.exe", whole);
        const std::string dos = posix::DosPathOf(host);
        const DWORD fullSize = platform.GetFileVersionInfoSizeA(dos.c_str(), nullptr);
        ASSERT_GT(fullSize, 0u);
        std::vector<std::uint8_t> full(fullSize);
        ASSERT_TRUE(platform.GetFileVersionInfoA(dos.c_str(), 0, fullSize, full.data()));
        bool foundLonger = true;
        for (std::size_t length = whole.size(); length-- > 0;) {
            std::filesystem::resize_file(host, length);
            const DWORD size = platform.GetFileVersionInfoSizeA(dos.c_str(), nullptr);
            EXPECT_EQ(size != 0, Exercise(whole, length)) << length;
            if (size == 0) {
                foundLonger = false;
                continue;
            }
            ASSERT_TRUE(foundLonger) << "found again at " << length;
            std::vector<std::uint8_t> block(size);
            ASSERT_TRUE(platform.GetFileVersionInfoA(dos.c_str(), 0, size, block.data()));
            ASSERT_EQ(block, full) << length;
        }
        EXPECT_FALSE(foundLonger);
    }
}

// Each byte set to other values, and random damage of a few bytes at once.
TEST(PeDamage, EveryByteSetToOtherValuesAndRandomDamageAreReadSafely) {
    std::mt19937 random(1998);
    for (const auto &good : SampleFiles()) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            for (std::uint8_t value : {0x00, 0xFF, good[at] ^ 0x80, good[at] ^ 0x01}) {
                std::vector<std::uint8_t> bytes = good;
                bytes[at] = value;
                Exercise(bytes, bytes.size());
            }
        }
        std::uniform_int_distribution<std::size_t> position(0, good.size() - 1);
        std::uniform_int_distribution<int> byte(0, 255), count(1, 8);
        for (int round = 0; round < 3000; ++round) {
            std::vector<std::uint8_t> bytes = good;
            for (int n = count(random); n > 0; --n) bytes[position(random)] = static_cast<std::uint8_t>(byte(random));
            Exercise(bytes, bytes.size());
        }
    }
}

}  // namespace
}  // namespace plv::testing
