#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "plvlib32.h"

namespace {

TEST(LeftStr, CopiesAtMostNAndTerminatesAtN) {
    char out[8];
    LeftStr(out, "ABCDEF", 3);
    EXPECT_STREQ(out, "ABC");

    std::memset(out, 'z', sizeof out);
    LeftStr(out, "AB", 5);
    EXPECT_STREQ(out, "AB");
    EXPECT_EQ(out[3], 'z');  // bytes between the copied terminator and n stay
    EXPECT_EQ(out[5], '\0');
    EXPECT_EQ(out[6], 'z');

    std::strcpy(out, "xyz");  // empty for a zero count or no source
    LeftStr(out, "ABC", 0);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "xyz");
    LeftStr(out, nullptr, 2);
    EXPECT_STREQ(out, "");
    LeftStr(nullptr, "ABC", 2);  // no destination: nothing, no crash
}

TEST(RightStrAndMidStr, TakeTheirRanges) {
    char out[8];
    RightStr(out, "ABCDEF", 2);
    EXPECT_STREQ(out, "EF");
    RightStr(out, "ABCDEF", 0);
    EXPECT_STREQ(out, "");
    MidStr(out, "ABCDEF", 2, 3);
    EXPECT_STREQ(out, "CDE");
    // A terminator inside the range is copied like any byte.
    std::memset(out, 'z', sizeof out);
    MidStr(out, "AB\0DEF", 1, 4);
    EXPECT_STREQ(out, "B");
    EXPECT_EQ(std::memcmp(out, "B\0DE\0", 5), 0);
}

TEST(StrTrim, RemovesOnlySpaces) {
    struct Case {
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {"  AB XY  ", "AB XY"}, {"    ", ""}, {"\tAB ", "\tAB"}, {"", ""}, {"A", "A"}, {" A", "A"},
    };
    for (const Case &c : cases) {
        std::string text = c.in;
        strTrim(text.data());
        EXPECT_STREQ(text.c_str(), c.out) << '"' << c.in << '"';
    }
    // Nothing past the text's end is read or moved: another field may follow.
    char field[] = " A\0Z";
    strTrim(field);
    EXPECT_EQ(std::memcmp(field, "A\0\0Z", sizeof field), 0);
    strTrim(nullptr);
}

TEST(ParseString, WalksFieldsToAnEmptyRestWithAnyDelimiterAndNullArguments) {
    const char source[] = "X;Y;Z";
    char field[65];
    const char *rest = ParseString(source, ";", field, 64);
    EXPECT_STREQ(field, "X");
    EXPECT_EQ(rest, source + 2);
    rest = ParseString(rest, ";", field, 64);
    EXPECT_STREQ(field, "Y");
    rest = ParseString(rest, ";", field, 64);
    EXPECT_STREQ(field, "Z");
    EXPECT_EQ(rest, source + 5);
    EXPECT_EQ(*rest, '\0');
    EXPECT_STREQ(ParseString("ABCDEFGH;X", ";", field, 4), "X");  // the field is cut, not the walk
    EXPECT_STREQ(field, "ABCD");
    EXPECT_STREQ(ParseString("a, b, c", ", ", field, 15), "b, c");
    EXPECT_STREQ(field, "a");
    EXPECT_EQ(ParseString("abc", ";", nullptr, 3), nullptr);
    std::strcpy(field, "old");
    EXPECT_EQ(ParseString(nullptr, ";", field, 3), nullptr);
    EXPECT_STREQ(field, "");
}

}  // namespace
