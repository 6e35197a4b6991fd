#include "platform/posix/version_block.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ascii.h"
#include "platform/posix/ansi_text.h"

namespace plv::posix {
namespace {

static_assert(std::endian::native == std::endian::little,
              "block fields are read in place as little-endian numbers");

constexpr char kSignature[4] = {'F', 'E', '2', 'X'};
// Every node begins with its length, its value's length and its type.
constexpr std::size_t kNodeHeader = 6;
constexpr std::uint16_t kTextType = 1;

std::uint16_t WordAt(const std::uint8_t *bytes, std::size_t at) {
    std::uint16_t word;
    std::memcpy(&word, bytes + at, sizeof word);
    return word;
}

std::size_t AlignUp4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// A node's parts as offsets from the block's start: header, zero-terminated
// UTF-16 key, value (lengths of texts count characters, others bytes), then
// children, each aligned to four bytes.
struct Node {
    std::size_t end;
    std::size_t keyStart;
    std::size_t keyUnits;
    std::size_t valueStart;
    std::size_t valueEnd;
    std::uint16_t valueLength;
    bool text;
};

// The node at `start`, which must lie wholly before `limit`. A value that
// claims more than its node holds is cut at the node's end.
std::optional<Node> ReadNode(const std::uint8_t *block, std::size_t start, std::size_t limit) {
    if (start > limit || limit - start < kNodeHeader) return std::nullopt;
    const std::uint16_t length = WordAt(block, start);
    if (length < kNodeHeader || length > limit - start) return std::nullopt;
    Node node{};
    node.end = start + length;
    node.valueLength = WordAt(block, start + 2);
    node.text = WordAt(block, start + 4) == kTextType;
    node.keyStart = start + kNodeHeader;
    std::size_t at = node.keyStart;
    for (;; at += 2) {
        if (node.end - at < 2) return std::nullopt;
        if (WordAt(block, at) == 0) break;
    }
    node.keyUnits = (at - node.keyStart) / 2;
    node.valueStart = std::min(AlignUp4(at + 2), node.end);
    const std::size_t valueBytes = node.text ? 2u * node.valueLength : node.valueLength;
    node.valueEnd = std::min(node.valueStart + valueBytes, node.end);
    return node;
}

bool KeyIs(const std::uint8_t *block, const Node &node, std::string_view name) {
    if (node.keyUnits != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const int byte = AnsiByteOf(WordAt(block, node.keyStart + 2 * i));
        if (byte < 0 || FoldAscii(static_cast<char>(byte)) != FoldAscii(name[i])) return false;
    }
    return true;
}

// Children follow the value; each one must end within its parent, and the
// walk stops at the first that does not.
std::optional<Node> FindChild(const std::uint8_t *block, const Node &parent, std::string_view name) {
    for (std::size_t at = AlignUp4(parent.valueEnd); at < parent.end;) {
        const auto child = ReadNode(block, at, parent.end);
        if (!child) return std::nullopt;
        if (KeyIs(block, *child, name)) return child;
        at = AlignUp4(child->end);
    }
    return std::nullopt;
}

std::u16string TextOf(const std::uint8_t *block, const Node &node) {
    std::u16string text;
    for (std::size_t at = node.valueStart; node.valueEnd - at >= 2; at += 2) {
        text.push_back(static_cast<char16_t>(WordAt(block, at)));
    }
    return text;
}

}  // namespace

DWORD VersionBlockSize(const std::vector<std::uint8_t> &resource) {
    return static_cast<DWORD>(2 * resource.size() + sizeof kSignature + 1);
}

void WriteVersionBlock(const std::vector<std::uint8_t> &resource, void *block) {
    auto *bytes = static_cast<std::uint8_t *>(block);
    std::memcpy(bytes, resource.data(), resource.size());
    std::memcpy(bytes + resource.size(), kSignature, sizeof kSignature);
    std::memset(bytes + resource.size() + sizeof kSignature, 0, resource.size() + 1);
}

bool QueryVersionBlock(const void *block, const char *subBlock, void **value, UINT *length) {
    const auto *bytes = static_cast<const std::uint8_t *>(block);
    const std::size_t size = WordAt(bytes, 0);
    auto node = ReadNode(bytes, 0, size);
    for (std::string_view rest = subBlock; node && !rest.empty();) {
        const std::size_t cut = rest.find('\\');
        const std::string_view name = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        if (!name.empty()) node = FindChild(bytes, *node, name);
    }
    if (!node) return false;
    // The block is the caller's, handed over as constant as Windows hands it;
    // the ANSI copies are written into its room all the same.
    auto *writable = const_cast<std::uint8_t *>(bytes);
    if (!node->text) {
        *value = writable + node->valueStart;
        *length = static_cast<UINT>(node->valueEnd - node->valueStart);
        return true;
    }
    const std::string ansi = AnsiFromUtf16(TextOf(bytes, *node));
    char *copy = reinterpret_cast<char *>(writable + size + sizeof kSignature + node->valueStart);
    std::memcpy(copy, ansi.data(), ansi.size());
    copy[ansi.size()] = '\0';
    *value = copy;
    *length = node->valueLength == 0 ? 0 : static_cast<UINT>(ansi.size() + 1);
    return true;
}

}  // namespace plv::posix
