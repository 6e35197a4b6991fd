#include <ostream>

#include "monitor/identification_fixture.h"

namespace plv::testing {
namespace {

struct Described {
    const char *path;
    const char *directory;
    const char *fileName;
    const char *fileDate;
    std::uint32_t fileSize;
    bool versioned = false;
};

void PrintTo(const Described &c, std::ostream *out) { *out << c.path; }

// The record as the writer must receive it, every byte: fields zero-padded.
std::string Bytes(const PLVNewDefinition &definition) {
    return std::string(reinterpret_cast<const char *>(&definition), sizeof definition);
}

class NewDefinitionTest : public IdentificationTest,
                          public ::testing::WithParamInterface<Described> {
  protected:
    NewDefinitionTest() {
        agent.optionFlags = PLV_OPT_RECORD_DEFINITIONS;
        fake.clock.utcOffset = 3600;  // local time is an hour ahead
        AddFile("C:\\WRITER.EXE", 12345, UtcSeconds(1998, 8, 1));
        AddVersion("C:\\WRITER.EXE", 0x409, 0x4E4,
                   {{"ProductName", "Writer Deluxe"},
                    {"CompanyName", "Valdrin Systems Corp."},
                    {"ProductVersion", "2.80.1234"}});
        AddFile("C:\\OFFICE\\WRITER\\WRITER.EXE", 2000, UtcSeconds(1998, 8, 1));
        AddFile("C:\\OLD\\ANCIENT.EXE", 777, UtcSeconds(1979, 6, 1));
        AddFile("C:\\NEW\\FUTURE.EXE", 888, UtcSeconds(2046, 1, 2));
        AddFile("C:\\LATE\\LATE.EXE", 5, UtcSeconds(1998, 8, 1, 23));  // local: 2 August
    }
};

TEST_P(NewDefinitionTest, DescribesTheUnrecognisedApplication) {
    const Described &c = GetParam();
    AddDefinition(1).sizeTest = 'L';  // needs the file facts first, matches nothing
    const PLVCandidate candidate = Candidate(c.path);
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);

    PLVNewDefinition expected;
    std::memset(&expected, 0, sizeof expected);
    std::strcpy(expected.directory, c.directory);
    std::strcpy(expected.fileName, c.fileName);
    std::strcpy(expected.fileDate, c.fileDate);
    expected.fileSize = c.fileSize;
    std::strcpy(expected.windowTitle, "Report - Writer");
    std::strcpy(expected.windowClass, "WriterMainWindow");
    if (c.versioned) {
        std::strcpy(expected.productName, "Writer Deluxe");
        std::strcpy(expected.companyName, "Valdrin Systems Corp.");
        std::strcpy(expected.productVersion, "2.80.123");
        expected.languageId = 0x409;
    }
    const std::vector<PLVNewDefinition> recorded = Recorded();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(Bytes(recorded[0]), Bytes(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, NewDefinitionTest,
    ::testing::Values(
        Described{"(none)", "", "", "", 0},
        Described{"C:\\WRITER.EXE", "C:\\", "WRITER.EXE", "19980801", 12345, true},
        Described{"WRITER.EXE", "", "WRITER.EXE", "", 0},
        Described{"C:\\OFFICE\\WRITER\\WRITER.EXE", "C:\\OFFICE\\WRITER", "WRITER.EXE", "19980801", 2000},
        Described{"X\\WRITER.EXE", "", "WRITER.EXE", "", 0},
        Described{"LONGFILENAME.EXE", "", "LONGFILENAME", "", 0},
        Described{"C:\\PROGRA~1\\LONGFILENAME.EXE", "C:\\PROGRA~1", "LONGFILENAME", "", 0},
        Described{"C:\\OLD\\ANCIENT.EXE", "C:\\OLD", "ANCIENT.EXE", "", 777},
        Described{"C:\\NEW\\FUTURE.EXE", "C:\\NEW", "FUTURE.EXE", "", 888},
        Described{"C:\\LATE\\LATE.EXE", "C:\\LATE", "LATE.EXE", "19980802", 5}));

TEST_F(IdentificationTest, NewDefinitionCutsTitleAndClassToTheirFields) {
    agent.optionFlags = PLV_OPT_RECORD_DEFINITIONS;
    const std::string title(63, 'T');
    const std::string className(128, 'C');
    const PLVCandidate candidate = Candidate("C:\\APPS\\EDIT.EXE", title.c_str(), className.c_str());
    PLVIdentifyApp(&candidate);
    ASSERT_EQ(Recorded().size(), 1u);
    const PLVNewDefinition recorded = Recorded()[0];
    EXPECT_EQ(std::string(recorded.windowTitle), title);
    EXPECT_EQ(std::string(recorded.windowClass), className.substr(0, 35));
}

TEST_F(IdentificationTest, NothingIsDescribedWithoutTheRecordingFlag) {
    PLVNewDefinition untouched;
    std::memset(&untouched, 'u', sizeof untouched);
    const PLVCandidate candidate = Candidate("C:\\APPS\\EDIT.EXE");
    EXPECT_EQ(MatchAppDefinition(&candidate, &untouched), nullptr);
    EXPECT_EQ(untouched.directory[0], 'u');
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
    EXPECT_TRUE(Recorded().empty());
}

}  // namespace
}  // namespace plv::testing
