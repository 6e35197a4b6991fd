// Lookups in a version block: texts in the ANSI code page, and nodes whose
// declared lengths lie, each walk held inside the lengths that enclose it.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/pe_image_builder.h"
#include "platform/posix/version_block.h"
#include "platform/version_queries.h"

namespace plv::testing {
namespace {

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

// Windows compares keys without regard to case, and whole: a key is no
// prefix of another.
TEST(VersionBlock, KeysMatchWholeAndIgnoringCase) {
    const auto resource = EncodeVersionNode(
        Root({TextNode(u"ProductNameX", u"wrong"), TextNode(u"PRODUCTNAME", u"right")}));
    EXPECT_EQ(Lookup(resource, kName), "right");
    EXPECT_EQ(Lookup(resource, "\\StringFileInfo\\040904b0\\ProductNam"), "(none)");
    const auto unmappable = EncodeVersionNode(Root({TextNode(u"Product\u0100", u"x")}));
    EXPECT_EQ(Lookup(unmappable, "\\StringFileInfo\\040904b0\\Product?"), "(none)");
    EXPECT_EQ(Lookup(unmappable, "\\StringFileInfo\\040904b0\\Product\xFF"), "(none)");
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

}  // namespace
}  // namespace plv::testing
