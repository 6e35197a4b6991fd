// OEM code page 437 into ANSI code page 1252, where 1252 lacks a character
// by its nearest plain one.
#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

TEST(CodePages, OemBytesWithoutAnAnsiCharacterBecomeTheNearestOne) {
    struct {
        unsigned char oem;
        unsigned char ansi;
    } const cases[] = {
        {0x41, 0x41}, {0x7F, 0x7F}, {0x87, 0xE7}, {0x9F, 0x83}, {0xAB, 0xBD}, {0xB3, '|'},
        {0xC4, '-'},  {0xC5, '+'},  {0xCD, '='},  {0xDB, '?'},  {0xE1, 0xDF}, {0xE3, 'p'},
        {0xE6, 0xB5}, {0xF1, 0xB1}, {0xF8, 0xB0}, {0xFD, 0xB2}, {0xFF, 0xA0},
    };
    PosixPlatform os;
    for (const auto &c : cases) {
        const char oem[2] = {static_cast<char>(c.oem), '\0'};
        char ansi[2] = {'#', '#'};
        ASSERT_TRUE(os.OemToCharA(oem, ansi));
        EXPECT_EQ(static_cast<unsigned char>(ansi[0]), c.ansi) << std::hex << int(c.oem);
        EXPECT_EQ(ansi[1], '\0');
    }
    EXPECT_FALSE(os.OemToCharA(nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace plv::posix
