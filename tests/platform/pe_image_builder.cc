#include "platform/pe_image_builder.h"

#include <algorithm>
#include <utility>

namespace plv::testing {
namespace {

void PutUtf16(std::vector<std::uint8_t> &bytes, const std::u16string &text) {
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
}

void PadTo4(std::vector<std::uint8_t> &bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

void EncodeInto(const VersionNode &node, std::vector<std::uint8_t> &out) {
    const std::size_t start = out.size();
    out.resize(start + 6);
    PutU16(out, start + 2, node.valueLength);
    PutU16(out, start + 4, node.text ? 1 : 0);
    PutUtf16(out, node.key);
    PadTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode &child : node.children) {
        PadTo4(out);
        EncodeInto(child, out);
    }
    PutU16(out, start, static_cast<std::uint16_t>(out.size() - start));
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint32_t> words) {
    std::vector<std::uint8_t> bytes(4 * words.size());
    std::size_t at = 0;
    for (std::uint32_t word : words) PutU32(bytes, (at += 4) - 4, word);
    return bytes;
}

constexpr std::size_t kPeHeader = 0x40;
constexpr std::size_t kOptionalHeader = kPeHeader + 24;
constexpr std::size_t kRawData = 0x200;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::size_t kFileAlignment = 0x200;

}  // namespace

void PutU16(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint16_t value) {
    bytes.at(at) = static_cast<std::uint8_t>(value & 0xFF);
    bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint32_t value) {
    PutU16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

VersionNode TextNode(const std::u16string &key, const std::u16string &value) {
    VersionNode node{key, true, static_cast<std::uint16_t>(value.size() + 1), {}, {}};
    PutUtf16(node.value, value);
    return node;
}

VersionNode BinaryNode(const std::u16string &key, const std::vector<std::uint8_t> &value) {
    return VersionNode{key, false, static_cast<std::uint16_t>(value.size()), value, {}};
}

VersionNode BlockNode(const std::u16string &key, std::vector<VersionNode> children) {
    return VersionNode{key, true, 0, {}, std::move(children)};
}

std::vector<std::uint8_t> EncodeVersionNode(const VersionNode &root) {
    std::vector<std::uint8_t> out;
    EncodeInto(root, out);
    return out;
}

std::vector<std::uint8_t> SampleVersionBlock() {
    VersionNode root = BinaryNode(
        u"VS_VERSION_INFO",
        Words({0xFEEF04BD, 0x00010000, 0x0003000A, 0x00000007, 0x0003000A, 0x00000000, 0x3F,
               0x0, 0x40004, 0x1, 0x0, 0x0, 0x0}));
    root.children = {
        BlockNode(u"StringFileInfo",
                  {BlockNode(u"040904b0", {TextNode(u"ProductName", u"Writer Deluxe"),
                                           TextNode(u"CompanyName", u"Example Works"),
                                           TextNode(u"ProductVersion", u"3.10")})}),
        BlockNode(u"VarFileInfo", {BinaryNode(u"Translation", {0x09, 0x04, 0xB0, 0x04})}),
    };
    return EncodeVersionNode(root);
}

PeImage BuildPeImage(PeKind kind, const std::vector<std::uint8_t> &block,
                     std::uint32_t resourceType) {
    const bool plus = kind == PeKind::kPe32Plus;
    const std::size_t optionalSize = plus ? 0xF0 : 0xE0;
    PeImage image;
    image.peHeader = kPeHeader;
    image.resourceDataDirectory = kOptionalHeader + (plus ? 112 : 96) + 2 * 8;
    image.sectionHeader = kOptionalHeader + optionalSize;
    image.typeDirectory = kRawData;
    image.nameDirectory = kRawData + 0x18;
    image.languageDirectory = kRawData + 0x30;
    image.dataEntry = kRawData + 0x48;
    image.block = kRawData + 0x58;
    image.resourceRva = kSectionRva;

    const std::size_t resourceSize = 0x58 + block.size();
    const std::size_t rawSize = (resourceSize + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    std::vector<std::uint8_t> &bytes = image.bytes;
    bytes.assign(kRawData + rawSize, 0);

    PutU16(bytes, 0, 0x5A4D);  // "MZ"
    PutU32(bytes, 0x3C, kPeHeader);
    PutU32(bytes, kPeHeader, 0x00004550);  // "PE\0\0"
    PutU16(bytes, kPeHeader + 4, plus ? 0x8664 : 0x014C);
    PutU16(bytes, kPeHeader + 6, 1);
    PutU16(bytes, kPeHeader + 20, static_cast<std::uint16_t>(optionalSize));
    PutU16(bytes, kPeHeader + 22, plus ? 0x0022 : 0x0102);
    PutU16(bytes, kOptionalHeader, plus ? 0x20B : 0x10B);
    PutU32(bytes, kOptionalHeader + 32, 0x1000);  // section alignment
    PutU32(bytes, kOptionalHeader + 36, kFileAlignment);
    PutU32(bytes, kOptionalHeader + 56, kSectionRva + 0x1000);  // size of image
    PutU32(bytes, kOptionalHeader + 60, kRawData);              // size of headers
    PutU16(bytes, kOptionalHeader + 68, 2);                      // Windows GUI
    PutU32(bytes, kOptionalHeader + (plus ? 108 : 92), 16);
    PutU32(bytes, image.resourceDataDirectory, kSectionRva);
    PutU32(bytes, image.resourceDataDirectory + 4, static_cast<std::uint32_t>(resourceSize));

    const std::size_t section = image.sectionHeader;
    for (std::size_t i = 0; i < 5; ++i) bytes[section + i] = static_cast<std::uint8_t>(".rsrc"[i]);
    PutU32(bytes, section + 8, static_cast<std::uint32_t>(resourceSize));
    PutU32(bytes, section + 12, kSectionRva);
    PutU32(bytes, section + 16, static_cast<std::uint32_t>(rawSize));
    PutU32(bytes, section + 20, kRawData);
    PutU32(bytes, section + 36, 0x40000040);  // initialised data, readable

    // Each directory: 12 bytes of attributes, 0 named entries, 1 id entry.
    PutU16(bytes, image.typeDirectory + 14, 1);
    PutU32(bytes, image.typeDirectory + 16, resourceType);
    PutU32(bytes, image.typeDirectory + 20, 0x80000000u | 0x18);
    PutU16(bytes, image.nameDirectory + 14, 1);
    PutU32(bytes, image.nameDirectory + 16, 1);
    PutU32(bytes, image.nameDirectory + 20, 0x80000000u | 0x30);
    PutU16(bytes, image.languageDirectory + 14, 1);
    PutU32(bytes, image.languageDirectory + 16, 0x409);
    PutU32(bytes, image.languageDirectory + 20, 0x48);
    PutU32(bytes, image.dataEntry, kSectionRva + 0x58);
    PutU32(bytes, image.dataEntry + 4, static_cast<std::uint32_t>(block.size()));
    PutU32(bytes, image.dataEntry + 8, 1200);
    std::copy(block.begin(), block.end(), bytes.begin() + static_cast<std::ptrdiff_t>(image.block));
    return image;
}

}  // namespace plv::testing
