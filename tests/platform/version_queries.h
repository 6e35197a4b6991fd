// Version blocks as the seam hands them out, and where the witnesses of
// version_witness.rc lie: beside the test program on Windows, in the build
// tree elsewhere.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#if defined(_WIN32)
#include "support/command_line.h"
#else
#include "platform/posix/posix_platform.h"
#include "platform/posix/version_block.h"
#endif

namespace plv::testing {

#if defined(_WIN32)
inline std::string WitnessPath(int bits) {
    return ThisProgramDirectory() + "\\version_witness" + std::to_string(bits) + ".exe";
}
#else
inline std::string WitnessHostPath(int bits) {
    return PLV_VERSION_WITNESS_DIR "/version_witness" + std::to_string(bits) + ".exe";
}
inline std::string WitnessPath(int bits) { return posix::DosPathOf(WitnessHostPath(bits)); }

// The block the Linux reader makes of a resource, in a buffer of exactly its size.
inline std::vector<std::uint8_t> BlockOf(const std::vector<std::uint8_t> &resource) {
    std::vector<std::uint8_t> block(posix::VersionBlockSize(resource));
    posix::WriteVersionBlock(resource, block.data());
    return block;
}
#endif

// A block as GetFileVersionInfoA fills it, in a buffer of exactly the size
// GetFileVersionInfoSizeA answered, so that the sanitizer sees any overrun.
inline std::vector<std::uint8_t> FetchBlock(Platform &os, const std::string &path) {
    DWORD handle = 77;
    const DWORD size = os.GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<std::uint8_t> block(size);
    EXPECT_TRUE(size == 0 || os.GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    return block;
}

// A text answer, checked to lie in the block and to end where its length says.
inline std::string QueryText(Platform &os, std::vector<std::uint8_t> &block,
                             const std::string &subBlock) {
    void *value = nullptr;
    UINT length = 0;
    if (!os.VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return "(none)";
    const auto *text = static_cast<const char *>(value);
    EXPECT_GE(text, reinterpret_cast<const char *>(block.data()));
    EXPECT_LE(text + length, reinterpret_cast<const char *>(block.data() + block.size()));
    EXPECT_EQ(std::strlen(text) + 1, length) << subBlock;
    return text;
}

inline std::uint32_t U32At(const void *bytes, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, static_cast<const std::uint8_t *>(bytes) + at, sizeof value);
    return value;
}

}  // namespace plv::testing
