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

const Damage kDamages[] = {
    {"no MZ", [](PeImage &i) { PutU16(i.bytes, 0, 0x5A4E); }, ERROR_RESOURCE_DATA_NOT_FOUND},
    {"PE header beyond the file", [](PeImage &i) { PutU32(i.bytes, 0x3C, 0xFFFFFFF0); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"wrong PE signature", [](PeImage &i) { PutU32(i.bytes, i.peHeader, 0x00004551); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"unknown optional header", [](PeImage &i) { PutU16(i.bytes, i.peHeader + 24, 0x107); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"only two data directories",
     [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory - 20, 2); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"optional header too short for the resource entry",
     [](PeImage &i) {
         PutU16(i.bytes, i.peHeader + 20,
                static_cast<std::uint16_t>(i.resourceDataDirectory - i.peHeader - 24 + 4));
     },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"no resource directory", [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory, 0); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"resource directory outside every section",
     [](PeImage &i) { PutU32(i.bytes, i.resourceDataDirectory, 0x9000); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"section data beyond the file",
     [](PeImage &i) { PutU32(i.bytes, i.sectionHeader + 20, 0x7FFFFFF0); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"section table beyond the file", [](PeImage &i) { PutU16(i.bytes, i.peHeader + 6, 0xFFFF); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"no version type", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 16, 3); },
     ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"type entries running off the section",
     [](PeImage &i) {
         PutU32(i.bytes, i.typeDirectory + 16, 3);
         PutU16(i.bytes, i.typeDirectory + 14, 0xFFFF);
     },
     ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"named entries are not ids", [](PeImage &i) { PutU16(i.bytes, i.typeDirectory + 12, 1); },
     ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"type directory points at itself",
     [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0x80000000u); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"name directory points at itself",
     [](PeImage &i) { PutU32(i.bytes, i.nameDirectory + 20, 0x80000018u); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"language directory points back at the root",
     [](PeImage &i) { PutU32(i.bytes, i.languageDirectory + 20, 0x80000000u); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"version type leads to data", [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0x48); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"empty name directory", [](PeImage &i) { PutU16(i.bytes, i.nameDirectory + 14, 0); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"directory far beyond the section",
     [](PeImage &i) { PutU32(i.bytes, i.typeDirectory + 20, 0xFFFFFFFFu); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"block in the file's padding beyond the section's virtual size",
     [](PeImage &i) {
         const std::uint32_t virtualSize = i.bytes[i.sectionHeader + 8] |
                                           (i.bytes[i.sectionHeader + 9] << 8);
         PutU16(i.bytes, i.typeDirectory + virtualSize + 8, 8);  // a node of just a header and key
         PutU32(i.bytes, i.dataEntry, i.resourceRva + virtualSize + 8);
     },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"data entry smaller than the block",
     [](PeImage &i) {
         PutU32(i.bytes, i.dataEntry + 4, (i.bytes[i.block] | (i.bytes[i.block + 1] << 8)) - 1u);
     },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"block shorter than its header", [](PeImage &i) { PutU16(i.bytes, i.block, 4); },
     ERROR_RESOURCE_DATA_NOT_FOUND},
    {"data entry claiming 4 GiB reads just the block",
     [](PeImage &i) { PutU32(i.bytes, i.dataEntry + 4, 0xFFFFFFFFu); }, ERROR_SUCCESS},
};

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

TEST(PeDamage, EveryByteSetToOtherValuesIsReadSafely) {
    for (const auto &good : SampleFiles()) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            const std::uint8_t original = good[at];
            for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF},
                                       static_cast<std::uint8_t>(original ^ 0x80),
                                       static_cast<std::uint8_t>(original ^ 0x01)}) {
                std::vector<std::uint8_t> bytes = good;
                bytes[at] = value;
                Exercise(bytes, bytes.size());
            }
        }
    }
}

TEST(PeDamage, RandomDamageIsReadSafely) {
    std::mt19937 random(1998);
    for (const auto &good : SampleFiles()) {
        std::uniform_int_distribution<std::size_t> position(0, good.size() - 1);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_int_distribution<int> count(1, 8);
        for (int round = 0; round < 3000; ++round) {
            std::vector<std::uint8_t> bytes = good;
            for (int n = count(random); n > 0; --n) {
                bytes[position(random)] = static_cast<std::uint8_t>(byte(random));
            }
            Exercise(bytes, bytes.size());
        }
    }
}

}  // namespace
}  // namespace plv::testing
