// Profile reads with Windows' rules, over a file written through the seam.
#include <cstring>

#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr char kSettings[] =
    "; settings of the agent\r\n"
    "stray=before any section\r\n"
    "[Pelvantine]\r\n"
    "  SMSOutput =  Yes  \r\n"
    "SMSFrequency=W ; weekly\r\n"
    "SMSStart=\"01/15/1998\"\r\n"
    "Quoted='single'\r\n"
    "HalfQuoted=\"open\r\n"
    "Lone=\"\r\n"
    "Blank=\"\"\r\n"
    "Mixed=\"x'\r\n"
    "Empty=\r\n"
    "AgentRefreshAction=-3\r\n"
    "Hex=0xaF\r\n"
    "Octal=0o17\r\n"
    "Binary=0b101\r\n"
    "Digits=1x10\r\n"
    "Trailing=42abc\r\n"
    "Nothing=abc\r\n"
    "SMSOutput=second\r\n"
    "NoEquals\r\n"
    "[ other section ]\r\n"
    "Key=other\r\n"
    "Zone=z\r\n"
    "[pelvantine]\r\n"
    "Later=from the repeated section\r\n";

struct StringCase {
    const char *section;
    const char *key;
    const char *defaultValue;
    DWORD size;
    DWORD result;
    std::string text;  // the buffer's first `result` + 1 characters
};

TEST_P(PlatformContract, ProfileStringsAreReadAsWindowsReadsThem) {
    WriteWholeFile(Scratch("PLV.INI"), kSettings);
    const StringCase cases[] = {
        {"Pelvantine", "SMSOutput", "NO", 255, 3, std::string("Yes\0", 4)},
        {"PELVANTINE", "smsoutput", "NO", 255, 3, std::string("Yes\0", 4)},
        {"Pelvantine", "SMSFrequency", "D", 255, 10, std::string("W ; weekly\0", 11)},
        {"Pelvantine", "SMSStart", "", 5, 4, std::string("01/1\0", 5)},
        {"Pelvantine", "Quoted", "", 255, 6, std::string("single\0", 7)},
        {"Pelvantine", "HalfQuoted", "", 255, 5, std::string("\"open\0", 6)},
        {"Pelvantine", "Lone", "", 255, 1, std::string("\"\0", 2)},
        {"Pelvantine", "Blank", "d", 255, 0, std::string("\0", 1)},
        {"Pelvantine", "Mixed", "", 255, 3, std::string("\"x'\0", 4)},
        {"Pelvantine", "Empty", "dflt", 255, 0, std::string("\0", 1)},
        {"Pelvantine", "Missing", "dflt  ", 255, 4, std::string("dflt\0", 5)},
        {"Pelvantine", "Missing", nullptr, 255, 0, std::string("\0", 1)},
        {"Pelvantine", "Missing", "default", 4, 3, std::string("def\0", 4)},
        {"Pelvantine", "stray", "none", 255, 4, std::string("none\0", 5)},
        {"Pelvantine", "NoEquals", "none", 255, 4, std::string("none\0", 5)},
        // Only a section's first heading counts for its keys.
        {"Pelvantine", "Later", "none", 255, 4, std::string("none\0", 5)},
        {"other section", "KEY", "", 255, 5, std::string("other\0", 6)},
        {"OTHER SECTION", "zONE", "", 255, 1, std::string("z\0", 2)},
        {"Pelvantine", "SMSOutput", "NO", 0, 0, "#"},  // a buffer of no size is left alone
        {"Nowhere", "SMSOutput", "d", 255, 1, std::string("d\0", 2)},  // not the first section's
        {"Pelvantine", "", "d", 255, 1, std::string("d\0", 2)},
        // Lists of names: each ended by a terminator, the list by one more;
        // every heading and key as often as it is written.
        {nullptr, nullptr, "", 255, 36, std::string("Pelvantine\0other section\0pelvantine\0\0", 37)},
        {"other section", nullptr, "", 255, 9, std::string("Key\0Zone\0\0", 10)},
        {"Pelvantine", nullptr, "", 255, 143,
         std::string("SMSOutput\0SMSFrequency\0SMSStart\0Quoted\0HalfQuoted\0Lone\0Blank\0Mixed\0"
                     "Empty\0AgentRefreshAction\0Hex\0Octal\0Binary\0Digits\0Trailing\0Nothing\0"
                     "SMSOutput\0\0",
                     144)},
    };
    for (const StringCase &c : cases) {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        const DWORD result =
            os.GetPrivateProfileStringA(c.section, c.key, c.defaultValue, buffer, c.size, Scratch("PLV.INI").c_str());
        const std::string label = std::string(c.section ? c.section : "(null)") + "/" + (c.key ? c.key : "(null)");
        EXPECT_EQ(result, c.result) << label;
        EXPECT_EQ(std::string(buffer, c.text.size()), c.text) << label;
    }
}

// Texts that just fit, or do not: a value is cut to the size less one, a list
// ends with two terminators within the buffer. Wine differs from Windows in
// both (its own tests mark the second as a Windows behaviour it lacks): a
// quoted value that just fits loses its last character, and a cut list ends
// with one terminator.
TEST_P(PlatformContract, ProfileTextsAreCutToTheBufferAsWindowsCutsThem) {
    WriteWholeFile(Scratch("PLV.INI"), kSettings);
    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    const DWORD value = os.GetPrivateProfileStringA("Pelvantine", "SMSStart", "", buffer, 11,
                                                    Scratch("PLV.INI").c_str());
    if (world->UnderWine()) {
        EXPECT_EQ(value, 9u);
        EXPECT_EQ(std::string(buffer, 10), std::string("01/15/199\0", 10));
    } else {
        EXPECT_EQ(value, 10u);
        EXPECT_EQ(std::string(buffer, 11), std::string("01/15/1998\0", 11));
    }

    // The list of headings, as often as each is written, a byte short of its
    // last terminator, and cut further; the byte past the buffer is never
    // written.
    const struct {
        DWORD size, result;
        std::string windows, wine;
    } lists[] = {
        {36, 34, std::string("Pelvantine\0other section\0pelvantin\0\0", 36),
         std::string("Pelvantine\0other section\0pelvantin\0#", 36)},
        {16, 14, std::string("Pelvantine\0oth\0\0", 16), std::string("Pelvantine\0oth\0#", 16)},
        {1, 0, std::string(1, '\0'), std::string(1, '\0')},
    };
    for (const auto &list : lists) {
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(os.GetPrivateProfileStringA(nullptr, nullptr, "", buffer, list.size,
                                              Scratch("PLV.INI").c_str()),
                  list.result);
        EXPECT_EQ(std::string(buffer, list.size + 1),
                  (world->UnderWine() ? list.wine : list.windows) + "#")
            << list.size;
    }
}

TEST_P(PlatformContract, ProfileIntegersAreReadAsWindowsReadsThem) {
    WriteWholeFile(Scratch("PLV.INI"), kSettings);
    struct IntCase {
        const char *key;
        INT defaultValue;
        UINT value;
    } const cases[] = {
        {"AgentRefreshAction", 0, static_cast<UINT>(-3)}, {"Hex", 0, 0xAF}, {"Octal", 0, 15},
        {"Binary", 0, 5}, {"Digits", 0, 1},
        {"Trailing", 0, 42}, {"Nothing", 7, 0}, {"Empty", 7, 7}, {"Missing", 2, 2}, {"SMSStart", 0, 1},
    };
    for (const IntCase &c : cases) {
        EXPECT_EQ(os.GetPrivateProfileIntA("Pelvantine", c.key, c.defaultValue, Scratch("PLV.INI").c_str()), c.value)
            << c.key;
    }
}

TEST_P(PlatformContract, AMissingProfileGivesTheDefault) {
    char buffer[16];
    os.SetLastError(0);
    EXPECT_EQ(os.GetPrivateProfileStringA("Pelvantine", "SMSOutput", "NO", buffer, sizeof buffer,
                                          Scratch("NONE.INI").c_str()),
              2u);
    EXPECT_STREQ(buffer, "NO");
    EXPECT_EQ(os.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(os.GetPrivateProfileIntA("Pelvantine", "CheckTimeSource", 2, Scratch("NONE.INI").c_str()), 2u);
}

}  // namespace
}  // namespace plv::testing
