#include <functional>

#include "monitor/identification_fixture.h"

namespace plv::testing {
namespace {

constexpr char kWriterPath[] = "C:\\OFFICE\\WRITER\\WRITER.EXE";
constexpr char kVersioned[] = "C:\\OFFICE\\VERSIONED.EXE";

void Set(char *field, const char *text) { std::strcpy(field, text); }

TEST_F(IdentificationTest, NothingIsRecognisedWithoutCandidateOrDefinitions) {
    agent.optionFlags = PLV_OPT_RECORD_DEFINITIONS;
    const PLVCandidate candidate = Candidate(kWriterPath);
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
    EXPECT_EQ(Recorded().size(), 1u);  // described as a new application
    AddDefinition(1);
    EXPECT_EQ(PLVIdentifyApp(nullptr), nullptr);
    EXPECT_EQ(Recorded().size(), 1u);  // no candidate: nothing to describe
}

TEST_F(IdentificationTest, FirstMatchInListOrderWins) {
    PLVAppDefinition &other = AddDefinition(1);
    Set(other.fileName, "OTHER.EXE");
    PLVAppDefinition &first = AddDefinition(1);
    Set(first.fileName, "WRITER.EXE");
    PLVAppDefinition &second = AddDefinition(1);
    Set(second.directory, "\\OFFICE");
    const PLVCandidate candidate = Candidate(kWriterPath);
    EXPECT_EQ(PLVIdentifyApp(&candidate), &first);
}

// One definition, one candidate: does it match?
struct MatchCase {
    const char *what;
    std::function<void(PLVAppDefinition &)> define;
    const char *path;
    bool matches;
    std::uint8_t kind = 1;
    const char *title = "Report - Writer";
};

class CriterionTest : public IdentificationTest {
  protected:
    CriterionTest() {
        for (std::uint64_t size : {999, 1000, 1500, 2000, 2001})
            AddFile("C:\\S\\" + std::to_string(size) + ".EXE", size, UtcSeconds(1998, 8, 1));
        AddFile("C:\\D\\OLD.EXE", 10, UtcSeconds(1997, 12, 31));
        AddFile("C:\\D\\NEW.EXE", 10, UtcSeconds(1998, 8, 1));
        AddFile("C:\\D\\ANCIENT.EXE", 10, UtcSeconds(1979, 6, 1));
        AddVersion(kVersioned, 0x409, 0x4E4,
                   {{"ProductName", "Writer Deluxe"},
                    {"CompanyName", "Valdrin Systems Corp."},
                    {"ProductVersion", "2.80.1234"}});
        fake.files.driveTypes["F:\\"] = DRIVE_REMOTE;
    }
    // Each case against a list that holds its definition alone.
    void Expect(const std::vector<MatchCase> &cases) {
        for (const MatchCase &c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << ": " << c.path << " / " << c.title);
            ClearDefinitions();
            c.define(AddDefinition(c.kind));
            const PLVCandidate candidate = Candidate(c.path, c.title);
            EXPECT_EQ(PLVIdentifyApp(&candidate) != nullptr, c.matches);
        }
    }
};

MatchCase FileName(const char *name, const char *path, bool matches) {
    return {"file name", [name](PLVAppDefinition &d) { Set(d.fileName, name); }, path, matches};
}

MatchCase Directory(const char *directory, const char *fileName, const char *path, bool matches) {
    return {"directory", [directory, fileName](PLVAppDefinition &d) {
                Set(d.directory, directory);
                Set(d.fileName, fileName);
            },
            path, matches};
}

TEST_F(CriterionTest, FileNameAndDirectory) {
    Expect({FileName("WRITER.EXE", "C:\\OFFICE\\WRITER\\writer.exe", true),
            FileName("WRITER.EXE", "C:\\OFFICE\\WRITER\\WRITER.COM", false),
            FileName("WRITER.EXE", "C:WRITER.EXE", true),
            FileName("WRITER.EXE", "C:/OFFICE/WRITER.EXE", false),  // '/' does not separate here
            Directory("\\OFFICE\\WRITER", "", "C:\\OFFICE\\WRITER\\WRITER.EXE", true),
            Directory("\\OFFICE\\WRITER\\", "", "C:\\OFFICE\\WRITER\\WRITER.EXE", true),
            Directory("\\OFFICE\\WRITER", "", "D:\\OLD\\OFFICE\\WRITER\\WRITER.EXE", true),
            Directory("\\OFFICE\\WRITER", "", "C:\\OFFICE\\WRITER\\BIN\\WRITER.EXE", false),
            Directory("\\office\\writer", "", "c:/office/writer\\writer.exe", true),
            Directory("C:\\APPS", "EDIT.EXE", "C:\\APPS\\EDIT.EXE", true),
            Directory("C:\\APPS", "EDIT.EXE", "D:\\APPS\\EDIT.EXE", false),
            Directory("\\APPS", "", "\\\\SERVER\\SHARE\\APPS\\EDIT.EXE", true)});
}

MatchCase Size(char test, std::uint32_t bound1, std::uint32_t bound2, const char *path,
               bool matches) {
    return {"size", [=](PLVAppDefinition &d) {
                d.sizeTest = test;
                d.sizeBound1 = bound1;
                d.sizeBound2 = bound2;
            },
            path, matches};
}

MatchCase Date(char test, std::uint32_t bound1, std::uint32_t bound2, const char *path,
               bool matches) {
    return {"date", [=](PLVAppDefinition &d) {
                d.dateTest = test;
                d.dateBound1 = bound1;
                d.dateBound2 = bound2;
            },
            path, matches};
}

MatchCase Location(char location, const char *path, bool matches) {
    return {"location", [location](PLVAppDefinition &d) { d.location = location; }, path, matches};
}

// Files of sizes 999, 1000, 1500, 2000 and 2001 lie in C:\S; C:\D\OLD.EXE
// dates from 1997/12/31, C:\D\NEW.EXE from 1998/08/01, C:\D\ANCIENT.EXE
// from 1979. F: is a network drive.
TEST_F(CriterionTest, SizeDateAndLocation) {
    Expect({Size('B', 1000, 2000, "C:\\S\\999.EXE", false),
            Size('B', 1000, 2000, "C:\\S\\1000.EXE", true),
            Size('B', 1000, 2000, "C:\\S\\2000.EXE", true),
            Size('B', 1000, 2000, "C:\\S\\2001.EXE", false),
            Size('L', 1000, 0, "C:\\S\\1000.EXE", false),
            Size('G', 1000, 0, "C:\\S\\1000.EXE", false),
            Size('E', 1500, 0, "C:\\S\\1500.EXE", true),
            Size('E', 0, 0, "(none)", false),
            Size('x', 0, 0, "(none)", true),
            Date('E', FileDate(1998, 8, 1), 0, "C:\\D\\NEW.EXE", true),
            Date('L', FileDate(1998, 1, 1), 0, "C:\\D\\OLD.EXE", true),
            Date('L', FileDate(1998, 1, 1), 0, "C:\\D\\NEW.EXE", false),
            Date('B', FileDate(1997, 12, 31), FileDate(1998, 8, 1), "C:\\D\\OLD.EXE", true),
            Date('B', FileDate(1998, 1, 1), FileDate(1998, 7, 31), "C:\\D\\NEW.EXE", false),
            Date('G', 0, 0, "C:\\D\\ANCIENT.EXE", false),
            Location('N', "C:\\APPS\\EDIT.EXE", false),
            Location('N', "F:\\APPS\\EDIT.EXE", true),
            Location('L', "C:\\APPS\\EDIT.EXE", true),
            Location('L', "F:\\APPS\\EDIT.EXE", false),
            Location('N', "\\\\SERVER\\SHARE\\EDIT.EXE", true),  // an unknown root is remote
            Location('l', "F:\\APPS\\EDIT.EXE", true)});
}

MatchCase Kind(std::uint8_t kind, std::function<void(PLVAppDefinition &)> define, bool matches) {
    MatchCase c{"kind", std::move(define), kWriterPath, matches};
    c.kind = kind;
    return c;
}

MatchCase Title(const char *text, std::uint8_t position, const char *title, bool matches) {
    MatchCase c{"title",
                [=](PLVAppDefinition &d) {
                    Set(d.titleText, text);
                    d.titlePosition = position;
                },
                kWriterPath, matches, 2, title};
    return c;
}

MatchCase Class(const char *text, bool matches) {
    return Kind(2, [text](PLVAppDefinition &d) { Set(d.classText, text); }, matches);
}

// The candidate's window is "Report - Writer" of class "WriterMainWindow".
TEST_F(CriterionTest, KindTitleAndClass) {
    Expect({Kind(1, [](PLVAppDefinition &d) { Set(d.titleText, "Calculator"); }, true),
            Kind(2, [](PLVAppDefinition &d) { Set(d.titleText, "Calculator"); }, false),
            Kind(2, [](PLVAppDefinition &d) { Set(d.titleText, "Writer"); }, true),
            Kind(1, [](PLVAppDefinition &) {}, true),
            Kind(2, [](PLVAppDefinition &) {}, false),
            Kind(2, [](PLVAppDefinition &d) {
                     d.sizeTest = 'G';
                     d.dateTest = 'G';
                     d.location = 'L';
                 },
                 false),
            Kind(2, [](PLVAppDefinition &d) { d.languageId = 0x409; }, false),
            Title("Writer", 0, "Report - Writer", true),
            Title("Writer", 0, "report - writer", false),
            Title("Writer", 1, "Writer - Report", true),
            Title("Writer", 1, "Report - Writer", false),
            Title("Writer", 10, "Report - Writer", true),
            Title("Writer", 16, "Report - Writer", false),  // just past the end
            Title("Writer", 200, "Report - Writer", false),
            Class("writermainwindow", true),
            Class("Main", true),
            Class("OtherWindow", false)});
}

MatchCase Version(std::function<void(PLVAppDefinition &)> define, bool matches) {
    MatchCase c{"version", std::move(define), kVersioned, matches};
    c.kind = 2;
    return c;
}

// The program's resource names "Writer Deluxe" of "Valdrin Systems Corp.",
// version "2.80.1234", language 0x409.
TEST_F(CriterionTest, VersionTextsArePrefixesIgnoringCase) {
    std::vector<MatchCase> cases = {
        Version([](auto &d) { Set(d.productName, "writ"); }, true),
        Version([](auto &d) { Set(d.productName, "Deluxe"); }, false),
        Version([](auto &d) { Set(d.productName, "Writer Deluxe 2"); }, false),
        Version([](auto &d) { Set(d.companyName, "VALDRIN"); }, true),
        Version([](auto &d) { Set(d.productVersion, "2.80"); }, true),
        // The fetched version holds eight characters only.
        Version([](auto &d) { Set(d.productVersion, "2.80.1234"); }, false),
        Version([](auto &d) { d.languageId = 0x409; }, true),
        Version([](auto &d) {
                    Set(d.productName, "Writer");
                    Set(d.companyName, "Valdrin");
                    Set(d.productVersion, "2.8");
                    d.languageId = 0x409;
                },
                true),
    };
    for (std::size_t i = 0, count = cases.size(); i < count; ++i) {  // no resource, no match
        cases.push_back(cases[i]);
        cases.back().path = "C:\\OFFICE\\PLAIN.EXE";
        cases.back().matches = false;
    }
    Expect(cases);
}

TEST_F(IdentificationTest, TitlePositionNeverReadsBeyondAFullTitle) {
    PLVAppDefinition &definition = AddDefinition(2);
    Set(definition.titleText, "AAAA");
    PLVCandidate candidate = Candidate(kWriterPath);
    std::memset(candidate.title, 'A', sizeof candidate.title);  // no terminator
    std::strcpy(candidate.className, "AAAA");
    definition.titlePosition = 61;
    EXPECT_EQ(PLVIdentifyApp(&candidate), &definition);
    definition.titlePosition = 62;  // three characters of title left: the class must not count
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
}

TEST_F(IdentificationTest, VersionFactsAreFetchedOncePerIdentification) {
    AddVersion(kWriterPath, 0x409, 0x4E4, {{"ProductName", "Writer"}, {"CompanyName", "Valdrin"}});
    Set(AddDefinition(2).productName, "Other");
    PLVAppDefinition &second = AddDefinition(2);
    Set(second.productName, "Writer");
    Set(second.companyName, "Other");
    PLVAppDefinition &third = AddDefinition(2);
    Set(third.companyName, "valdrin");
    const PLVCandidate candidate = Candidate(kWriterPath);
    EXPECT_EQ(PLVIdentifyApp(&candidate), &third);
    EXPECT_EQ(fake.heap.frees, 1);  // one resource buffer taken and given back
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(IdentificationTest, LongCriteriaAndUnterminatedFieldsAreHandledWithinBounds) {
    PLVAppDefinition &definition = AddDefinition(1);
    std::memset(definition.directory, 'D', sizeof definition.directory);  // no terminator
    std::memset(definition.fileName, 'F', sizeof definition.fileName);
    std::string path = "C:\\" + std::string(270, 'D');
    PLVCandidate candidate = Candidate(path.c_str());
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);

    // The same directory, terminated, is found in a path that holds it.
    definition.directory[20] = '\0';
    definition.fileName[0] = '\0';
    path = "C:\\X" + std::string(20, 'D') + "\\APP.EXE";
    candidate = Candidate(path.c_str());
    EXPECT_EQ(PLVIdentifyApp(&candidate), &definition);
}

class SharedTimerTest : public IdentificationTest {
  protected:
    SharedTimerTest() {
        agent.optionFlags = PLV_OPT_SHARED_TIMER | PLV_OPT_RECORD_DEFINITIONS;
        Set(AddDefinition(1).fileName, "WRITER.EXE");
    }
};

TEST_F(SharedTimerTest, AnIdenticalCandidateGetsTheLastAnswer) {
    PLVCandidate candidate = Candidate("C:\\APPS\\EDIT.EXE");
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
    // Letter case of the texts does not make another candidate; nor does
    // what the list now holds.
    std::strcpy(candidate.programPath, "c:\\apps\\edit.exe");
    Set(AddDefinition(1).fileName, "EDIT.EXE");
    EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
    EXPECT_EQ(Recorded().size(), 1u);
}

TEST_F(SharedTimerTest, AnyDifferenceAsksAgain) {
    const std::vector<std::function<void(PLVCandidate &)>> changes = {
        [](PLVCandidate &c) { c.processId = 0x999; },
        [](PLVCandidate &c) { c.threadId = 0; },
        [](PLVCandidate &c) { c.window = nullptr; },
        [](PLVCandidate &c) { c.virtualDosMachine = 1; },
        [](PLVCandidate &c) { std::strcpy(c.title, "Other"); },
        [](PLVCandidate &c) { std::strcpy(c.className, "Other"); },
        [](PLVCandidate &c) { std::strcpy(c.programPath, "C:\\APPS\\EDIT2.EXE"); },
    };
    std::size_t expected = 0;
    for (const auto &change : changes) {
        PLVCandidate candidate = Candidate("C:\\APPS\\EDIT.EXE");
        EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
        change(candidate);
        EXPECT_EQ(PLVIdentifyApp(&candidate), nullptr);
        expected += 2;
        EXPECT_EQ(Recorded().size(), expected);
    }
}

}  // namespace
}  // namespace plv::testing
