// Lines of the day's definition files, as the library writes them, turned
// into definitions that read back into the node layout.
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent_test_files.h"
#include "def_import.h"
#include "definitions.h"

namespace plvagent {
namespace {

using ::testing::ElementsAre;

constexpr char kWriterLine[] =
    "19980820;09:15:02;WS-017;JDOE;SALES;C:\\OFFICE\\WRITER;WRITER.EXE;19980312;1048576;"
    "Report - Writer;WriterFrame;Writer Deluxe;Valdrin Systems;2.8;0409";

TEST(DefLine, RefusesWhatIsNoDefinitionLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"19980820;09:15:02;WS", "has 3 fields, a definition line 15"},
        {"1998/08/20;09:15:02;WS;U;C;D;F;;0;T;C;P;Co;V;0409", "does not begin with a recording date and time"},
        {"19980820;09:1x:02;WS;U;C;D;F;;0;T;C;P;Co;V;0409", "does not begin with a recording date and time"},
        {"19980820;09:15:02;WS;U;C;D;F;1998-03-12;0;T;C;P;Co;V;0409", "has a file date that is not YYYYMMDD: 1998-03-12"},
        {"19980820;09:15:02;WS;U;C;D;F;;12k;T;C;P;Co;V;0409", "has a file size that is no number: 12k"},
        {"19980820;09:15:02;WS;U;C;D;F;;4294967296;T;C;P;Co;V;0409", "has a file size that is no number: 4294967296"},
        {"19980820;09:15:02;WS;U;C;D;F;;0;T;C;P;Co;V;04g9", "does not end in a language of four hexadecimal digits"},
    };
    for (const auto &[line, expected] : cases) {
        std::string why;
        EXPECT_FALSE(ParseDefLine(line, &why)) << line;
        EXPECT_EQ(why, expected) << line;
    }
}

using Import = testing::DefinitionsFileTest;

// By file name and version; --exact also by directory, size, date, version
// and language.
TEST_F(Import, ARecordedApplicationBecomesADefinition) {
    const ImportResult result = ImportDefinitions({{"19980820.DEF", std::string(kWriterLine) + "\r\n"}}, {}, {}, {}, {});
    EXPECT_THAT(result.imported, ElementsAre("[Writer Deluxe] from 19980820.DEF:1"));
    EXPECT_EQ(result.sections,
              "\r\n[Writer Deluxe]\r\n"
              "; recorded 19980820 09:15:02 on WS-017 for JDOE (19980820.DEF:1)\r\n"
              "FileName=WRITER.EXE\r\nProduct=Writer Deluxe\r\nCompany=Valdrin Systems\r\n");

    const DefinitionList list = Read(result.sections);
    ASSERT_TRUE(problems.empty()) << Describe(problems[0]);
    ASSERT_EQ(list.nodes().size(), 1u);
    const PLVAppDefinition &d = list.nodes()[0];
    EXPECT_EQ(int{d.kind}, 2);
    EXPECT_STREQ(d.fileName, "WRITER.EXE");
    EXPECT_STREQ(d.productName, "Writer Deluxe");
    EXPECT_STREQ(d.companyName, "Valdrin Systems");
    EXPECT_STREQ(d.directory, "");
    EXPECT_EQ(d.sizeTest, '\0');

    ImportOptions exact;
    exact.exact = true;
    problems.clear();
    const DefinitionList exactList =
        Read(ImportDefinitions({{"19980820.DEF", kWriterLine}}, {}, exact, {}, {}).sections);
    ASSERT_TRUE(problems.empty()) << Describe(problems[0]);
    ASSERT_EQ(exactList.nodes().size(), 1u);
    const PLVAppDefinition &e = exactList.nodes()[0];
    EXPECT_STREQ(e.directory, "C:\\OFFICE\\WRITER");
    EXPECT_EQ(e.sizeTest, 'E');
    EXPECT_EQ(std::uint32_t{e.sizeBound1}, 1048576u);
    EXPECT_EQ(e.dateTest, 'E');
    EXPECT_EQ(std::uint32_t{e.dateBound1}, 6645u * 86400u);  // 12 March 1998
    EXPECT_STREQ(e.productVersion, "2.8");
    EXPECT_EQ(std::uint32_t{e.languageId}, 0x409u);
}

TEST_F(Import, EachProgramIsDefinedOnceAndNamesStayUnique) {
    const std::string day =
        "19980820;09:00:00;WS-1;A;C;Z:\\usr\\bin;xlogo;20230101;20000;xlogo;XLogo;;;;0000\r\n"
        "19980820;09:05:00;WS-2;B;C;Z:\\usr\\bin;xlogo;20230101;20000;xlogo;XLogo;;;;0000\r\n"
        "19980820;09:06:00;WS-2;B;C;;;;0;(no title);(no class);;;;0000\r\n"
        "19980820;09:07:00;WS-2;B;C;Z:\\usr\\bin;xclock;20230101;20000;xclock;XClock;;;;0000\r\n"
        "19980820;09:08:00;WS-2;B;C;Z:\\opt;writer;20230101;20000;w;W;[Writer];;;0000\r\n"
        "garbage\r\n";
    const ImportResult result =
        ImportDefinitions({{"19980820.DEF", day}}, {}, {}, {"xlogo", "(Writer)"}, {"XCLOCK"});
    EXPECT_THAT(result.imported, ElementsAre("[xlogo (2)] from 19980820.DEF:1", "[(Writer) (2)] from 19980820.DEF:5"));
    EXPECT_THAT(result.skipped, ElementsAre("19980820.DEF:2: xlogo is defined already",
                                            "19980820.DEF:3: no program file name was recorded",
                                            "19980820.DEF:4: xclock is defined already",
                                            "19980820.DEF:6: has 1 fields, a definition line 15"));
}

// A section is named by the product without the blanks at its ends.
TEST_F(Import, SectionNamesLeaveOutTheProductsEndBlanks) {
    const ImportResult result = ImportDefinitions(
        {{"19980820.DEF",
          "19980820;09:00:00;WS-1;A;C;Z:\\opt;w;20230101;20000;w;W;  Writer ;;;0000"}},
        {}, {}, {}, {});
    EXPECT_THAT(result.imported, ElementsAre("[Writer] from 19980820.DEF:1"));
}

// A criterion that fills its definition field is promoted; one character
// more is refused with its reason rather than written for the reader to refuse.
TEST_F(Import, CriteriaLongerThanADefinitionHoldsAreRefused) {
    const auto line = [](const std::string &file, const std::string &product,
                         const std::string &company, const std::string &version) {
        return "19980820;09:00:00;WS-1;A;C;Z:\\opt;" + file + ";20230101;20000;w;W;" + product +
               ";" + company + ";" + version + ";0000\r\n";
    };
    const std::string f(35, 'f'), p(35, 'p'), c(35, 'c');
    ImportOptions exact;
    exact.exact = true;
    const ImportResult result = ImportDefinitions(
        {{"19980820.DEF", line(f, p, c, "12345678") + line("a", p + "p", "", "") +
                              line("b", "", c + "c", "") + line(f + "f", "", "", "") +
                              line("d", "", "", "123456789")}},
        {}, exact, {}, {});
    const std::string tooLong = " is longer than a definition holds (";
    EXPECT_THAT(result.skipped, ElementsAre("19980820.DEF:2: Product" + tooLong + "35 characters)",
                                            "19980820.DEF:3: Company" + tooLong + "35 characters)",
                                            "19980820.DEF:4: Class" + tooLong + "35 characters)",
                                            "19980820.DEF:5: Version" + tooLong + "8 characters)"));
    EXPECT_EQ(Read(result.sections).nodes().size(), 1u);
    EXPECT_THAT(Described(), ElementsAre());
    // Without --exact no version is written.
    const auto version = line("d", "", "", "123456789");
    EXPECT_THAT(ImportDefinitions({{"19980820.DEF", version}}, {}, {}, {}, {}).skipped,
                ElementsAre());
}

}  // namespace
}  // namespace plvagent
