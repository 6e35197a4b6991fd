// Damaged, truncated and hostile executables: every one answers "no resource"
// with the error Windows gives, or a block whose lookups stay inside it.
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/pe_image_builder.h"
#include "platform/posix/pe_version.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/version_block.h"
#include "platform/version_queries.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

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
    {"data entry smaller than the block", [](PeImage &i) {
         PutU32(i.bytes, i.dataEntry + 4, (i.bytes[i.block] | (i.bytes[i.block + 1] << 8)) - 1u);
     }, kNoData},
    {"block shorter than its header", [](PeImage &i) { PutU16(i.bytes, i.block, 4); }, kNoData},
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
