// The definitions file built into the library's node layout, byte for
// byte, and the library identifying applications with the nodes.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent_test_files.h"
#include "definitions.h"
#include "values.h"

namespace plvagent {
namespace {

using ::testing::ElementsAre;

// Offsets behind the link word, which is as wide as a pointer.
constexpr std::size_t kLink = sizeof(void *);
constexpr std::size_t kNumber = kLink + 0, kKind = kLink + 4, kName = kLink + 5,
                      kLocation = kLink + 107, kDirectory = kLink + 108, kFileName = kLink + 393,
                      kSizeTest = kLink + 406, kDateTest = kLink + 415, kDateBound1 = kLink + 427,
                      kDateBound2 = kLink + 442, kTitle = kLink + 446, kTitlePosition = kLink + 510,
                      kClass = kLink + 511, kProduct = kLink + 547, kCompany = kLink + 583,
                      kVersion = kLink + 619, kLanguage = kLink + 637;
static_assert(sizeof(PLVAppDefinition) == kLink + 641);

std::vector<std::uint8_t> Bytes(const PLVAppDefinition &node, std::size_t offset, std::size_t count) {
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(&node);
    return {bytes + offset, bytes + offset + count};
}

std::string Text(const PLVAppDefinition &node, std::size_t offset) {
    return reinterpret_cast<const char *>(&node) + offset;
}

using Definitions = testing::DefinitionsFileTest;

TEST_F(Definitions, EveryCriterionLandsInItsPlaceInTheNode) {
    const DefinitionList list = Read(R"(; tried in this order
[Writer Deluxe]
FileName = WRITER.EXE
Directory = \OFFICE\WRITER\
Location = network
SizeTest = between
SizeBound1 = 1000
SizeBound2 = 4294967295
DateTest = G
DateBound1 = 1998-08-20
Title = Writer
TitlePosition = 1
Class = WriterFrame
Product = Writer
Company = Valdrin
Version = 2.8
Language = 0409

[Old editor]
Kind = 1
FileName = edit.com
DateTest = B
DateBound1 = 19800102
DateBound2 = 20451231
Location = L
SizeTest = E
SizeBound1 = 0
)");
    ASSERT_THAT(Described(), ElementsAre());
    ASSERT_EQ(list.nodes().size(), 2u);
    const PLVAppDefinition &writer = list.nodes()[0];
    const PLVAppDefinition &editor = list.nodes()[1];

    using Row = std::vector<std::uint8_t>;
    EXPECT_EQ(static_cast<void *>(writer.next), &editor);
    EXPECT_EQ(static_cast<void *>(editor.next), nullptr);
    EXPECT_EQ(Bytes(writer, kNumber, 4), (Row{1, 0, 0, 0}));
    EXPECT_EQ(Bytes(editor, kNumber, 4), (Row{2, 0, 0, 0}));
    EXPECT_EQ(Bytes(writer, kKind, 1), Row{2});
    EXPECT_EQ(Bytes(editor, kKind, 1), Row{1});
    EXPECT_EQ(Bytes(writer, kLocation, 1), Row{'N'});
    EXPECT_EQ(Bytes(editor, kLocation, 1), Row{'L'});
    EXPECT_EQ(Bytes(writer, kSizeTest, 9), (Row{'B', 0xE8, 0x03, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(editor, kSizeTest, 9), (Row{'E', 0, 0, 0, 0, 0, 0, 0, 0}));
    // 20 August 1998 is day 6806 after 1 January 1980: 6806 * 86400 = 588038400.
    EXPECT_EQ(Bytes(writer, kDateTest, 1), Row{'G'});
    EXPECT_EQ(Bytes(writer, kDateBound1, 4), (Row{0x00, 0xC1, 0x0C, 0x23}));
    EXPECT_EQ(Bytes(editor, kDateBound1, 4), (Row{0x80, 0x51, 0x01, 0x00}));  // one day
    EXPECT_EQ(Bytes(editor, kDateBound2, 4), (Row{0x00, 0x5F, 0x24, 0x7C}));  // 24106 days
    EXPECT_EQ(Bytes(writer, kTitlePosition, 1), Row{1});
    EXPECT_EQ(Bytes(writer, kLanguage, 4), (Row{0x09, 0x04, 0, 0}));
    EXPECT_EQ(DefinitionName(editor), "Old editor");
    std::vector<std::string> texts;
    for (std::size_t at :
         {kName, kDirectory, kFileName, kTitle, kClass, kProduct, kCompany, kVersion})
        texts.push_back(Text(writer, at));
    EXPECT_THAT(texts, ElementsAre("Writer Deluxe", "\\OFFICE\\WRITER", "WRITER.EXE", "Writer",
                                   "WriterFrame", "Writer", "Valdrin", "2.8"));
}

TEST_F(Definitions, EachMistakeIsNamedByLineAndKey) {
    // The file's text, and its problem after "definitions.ini:".
    const std::pair<const char *, const char *> kMistakes[] = {
        {"[A]\nFileName=a.exe\nSizeTest=X\n", "3: SizeTest: expected E (equal), L (less), G (greater), B (between)"},
        {"[A]\nFileName=a.exe\nSizeTest=B\nSizeBound1=5\n", "1: [A]: SizeBound2: is required by SizeTest B (between)"},
        {"[A]\nFileName=a.exe\nSizeTest=B\nSizeBound1=5\nSizeBound2=4\n", "5: SizeBound2: must not be below SizeBound1"},
        {"[A]\nFileName=a.exe\nSizeTest=L\nSizeBound1=5\nSizeBound2=9\n", "5: SizeBound2: is read only with SizeTest B (between)"},
        {"[A]\nFileName=a.exe\nSizeBound1=5\n", "1: [A]: SizeTest: is required with SizeBound1"},
        {"[A]\nFileName=a.exe\nDateTest=E\nDateBound1=1998-02-30\n",
                "4: DateBound1: expected a date from 1980-01-01 to 2045-12-31, written 1998-08-20 or 19980820"},
        {"[A]\nFileName=a.exe\nLocation=remote\n", "3: Location: expected N (network), L (local)"},
        {"[A]\nFileName=longer-than.exe\n", "2: FileName: at most 12 characters"},
        {"[A]\nFileName=a.exe\nVersion=1.2.3.4567\n", "3: Version: at most 8 characters"},
        {"[A]\nFileName=a.exe\nLanguage=english\n", "3: Language: expected up to four hexadecimal digits, such as 0409"},
        {"[A]\nFileName=a.exe\nTitlePosition=2\n", "3: TitlePosition: is read only with a Title"},
        {"[A]\nFileName=a.exe\nTitle=W\nTitlePosition=64\n", "4: TitlePosition: expected a whole number from 0 to 63"},
        {"[A]\nSizeTest=G\nSizeBound1=10\n",
                "1: [A]: can never match: give a FileName, Directory, Title, Class or version criterion"},
        {"[A]\nFileName=a.exe\nTitel=Writer\n", "3: Titel: unknown key"},
        {"[A]\nKind=3\nFileName=a.exe\n", "2: Kind: expected a whole number from 1 to 2"},
    };
    for (const auto &[content, problem] : kMistakes) {
        problems.clear();
        Read(content);
        EXPECT_THAT(Described(), ::testing::Contains(std::string("definitions.ini:") + problem))
            << content;
    }
    // Each window or version criterion, even of one character, asks for kind 2.
    for (const char *criterion :
         {"Title=W", "Class=C", "Product=P", "Company=V", "Version=1", "Language=0409"}) {
        problems.clear();
        Read(std::string("[A]\nKind=1\n") + criterion + "\n");
        EXPECT_THAT(Described(), ElementsAre("definitions.ini:2: Kind: must be 2 for the Title, "
                                             "Class, Product, Company, Version and Language "
                                             "criteria to count"))
            << criterion;
    }
    problems.clear();
    Read("[A]\nKind=2\nTitle=W\n");
    EXPECT_THAT(Described(), ElementsAre());
    // A file name of one letter can match, and a name may fill its room.
    const std::string fills(kDefinitionNameRoom, 'N');
    problems.clear();
    Read("[" + fills + "]\nFileName=a\n");
    EXPECT_THAT(Described(), ElementsAre());
    problems.clear();
    Read("[" + fills + "N]\nFileName=a\n");
    EXPECT_THAT(Described(),
                ElementsAre(::testing::EndsWith(": a name of at most 101 characters")));
}

// Every day the calendar has from 1980 to 2045 is a file date, in whole
// days since 1 January 1980, and no other.
TEST(FileDates, AreTheCalendarsDaysInTheirRange) {
    using namespace std::chrono;
    for (int y : {1979, 1980, 1996, 1999, 2000, 2045, 2046}) {
        for (unsigned m = 0; m <= 13; ++m) {
            for (unsigned d = 0; d <= 32; ++d) {
                const year_month_day date{year{y}, month{m}, day{d}};
                const bool real = date.ok() && y >= 1980 && y <= 2045;
                char text[16];
                std::snprintf(text, sizeof text, "%04d%02u%02u", y, m, d);
                std::string why;
                const auto seconds = ParseFileDate(text, &why);
                ASSERT_EQ(seconds.has_value(), real) << text;
                if (!real) continue;
                const auto days = (sys_days{date} - sys_days{1980y / 1 / 1}).count();
                EXPECT_EQ(*seconds, static_cast<std::uint32_t>(days) * 86400u) << text;
            }
        }
    }
}

}  // namespace
}  // namespace plvagent
