// Version resources and PE images put together byte by byte, so tests can
// damage exactly the structure they mean to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plv::testing {

// One node of a VS_VERSIONINFO tree as it is stored: key, declared value
// length (characters for texts, bytes otherwise), value bytes, children.
struct VersionNode {
    std::u16string key;
    bool text = false;
    std::uint16_t valueLength = 0;
    std::vector<std::uint8_t> value;
    std::vector<VersionNode> children;
};

// A text value: its UTF-16 units and terminator, length counted in characters.
VersionNode TextNode(const std::u16string &key, const std::u16string &value);
VersionNode BinaryNode(const std::u16string &key, const std::vector<std::uint8_t> &value);
VersionNode BlockNode(const std::u16string &key, std::vector<VersionNode> children);

// Every node starts on a four-byte boundary and its length covers its header,
// key, value and children, not the padding after its last child.
std::vector<std::uint8_t> EncodeVersionNode(const VersionNode &root);

// A resource holding ProductName, CompanyName and ProductVersion for English
// (United States) in Unicode, a translation table and a fixed file info.
std::vector<std::uint8_t> SampleVersionBlock();

enum class PeKind { kPe32, kPe32Plus };

// A one-section image whose resource tree is type -> name 1 -> language 0x409
// -> the block; the offsets say where in the file each structure lies.
struct PeImage {
    std::vector<std::uint8_t> bytes;
    std::size_t peHeader = 0;
    std::size_t resourceDataDirectory = 0;
    std::size_t sectionHeader = 0;
    std::size_t typeDirectory = 0;
    std::size_t nameDirectory = 0;
    std::size_t languageDirectory = 0;
    std::size_t dataEntry = 0;
    std::size_t block = 0;
    std::uint32_t resourceRva = 0;
};

PeImage BuildPeImage(PeKind kind, const std::vector<std::uint8_t> &block,
                     std::uint32_t resourceType = 16);

void PutU16(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint16_t value);
void PutU32(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint32_t value);

}  // namespace plv::testing
