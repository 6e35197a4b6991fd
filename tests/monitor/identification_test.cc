// Identification: the host's definitions against a candidate window's
// program, the file and version facts it fetches, and the new definitions
// it records for programs no definition recognises.
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/identification.h"
#include "support/library_test.h"

namespace plv::testing {
namespace {

// Calendar seconds of a UTC moment.
std::int64_t UtcSeconds(int year, unsigned month, unsigned day, int hour = 12) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
    return date.time_since_epoch().count() * std::int64_t{86400} + hour * 3600;
}

// A file date as definitions hold it: whole days since 1980 times 86400.
std::uint32_t FileDate(int year, unsigned month, unsigned day) {
    return static_cast<std::uint32_t>((UtcSeconds(year, month, day, 0) - UtcSeconds(1980, 1, 1, 0)));
}

class IdentificationTest : public LibraryTest {
  protected:
    IdentificationTest() {
        agent.optionFlags = 0;
        Initialize();
    }

    // A new definition at the end of the host's list, of the given kind and
    // without criteria.
    PLVAppDefinition &AddDefinition(std::uint8_t kind) {
        PLVAppDefinition &definition = definitions_.emplace_back();
        std::memset(&definition, 0, sizeof definition);
        std::memset(definition.hostData2, 'h', sizeof definition.hostData2);
        definition.kind = kind;
        if (definitions_.size() == 1)
            runtime.definitions = &definition;
        else
            definitions_[definitions_.size() - 2].next = &definition;
        return definition;
    }

    void ClearDefinitions() {
        definitions_.clear();
        runtime.definitions = nullptr;
    }

    static PLVCandidate Candidate(const char *path, const char *title = "Report - Writer",
                                  const char *className = "WriterMainWindow") {
        PLVCandidate candidate{};
        std::strcpy(candidate.programPath, path);
        std::strcpy(candidate.title, title);
        std::strcpy(candidate.className, className);
        candidate.window = reinterpret_cast<PLVHWND>(std::uintptr_t{0x5000});
        candidate.processId = 0x310;
        candidate.threadId = 0x311;
        return candidate;
    }

    void AddFile(const std::string &path, std::uint64_t size, std::int64_t modified) {
        FakePlatform::File file;
        file.size = size;
        file.modified = modified;
        fake.files.files[path] = file;
    }

    void AddVersion(const std::string &path, WORD language, WORD codePage,
                    std::map<std::string, std::string> strings) {
        FakePlatform::VersionResource resource;
        resource.translations = {{language, codePage}};
        char prefix[40];
        std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", unsigned{language},
                      unsigned{codePage});
        for (auto &[name, value] : strings) resource.strings[prefix + name] = value;
        fake.versions[path] = resource;
    }

    // The new definitions handed to the definition writer, in order.
    std::vector<PLVNewDefinition> Recorded() const {
        std::vector<PLVNewDefinition> recorded;
        for (auto *node = static_cast<PLVPendingDefinitionNode *>(runtime.pendingDefinitions);
             node != nullptr; node = static_cast<PLVPendingDefinitionNode *>(node->next))
            recorded.push_back(node->pending.definition);
        return recorded;
    }

  private:
    std::deque<PLVAppDefinition> definitions_;
};

constexpr char kWriterPath[] = "C:\\OFFICE\\WRITER\\WRITER.EXE";
constexpr char kVersioned[] = "C:\\OFFICE\\VERSIONED.EXE";

void Set(char *field, const char *text) { std::strcpy(field, text); }

// One definition, one candidate: does it match?
struct Criteria {
    std::uint8_t kind = 1;
    const char *fileName = "", *directory = "";
    char sizeTest = 0;
    std::uint32_t size1 = 0, size2 = 0;
    char dateTest = 0;
    std::uint32_t date1 = 0, date2 = 0;
    char location = 0;
    const char *titleText = "";
    std::uint8_t titlePosition = 0;
    const char *classText = "", *productName = "", *companyName = "", *productVersion = "";
    WORD languageId = 0;
};

struct MatchCase {
    const char *path;
    bool matches;
    Criteria c;
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
        for (const MatchCase &m : cases) {
            SCOPED_TRACE(::testing::Message() << m.path << " / " << m.title);
            ClearDefinitions();
            const Criteria &c = m.c;
            PLVAppDefinition &d = AddDefinition(c.kind);
            Set(d.fileName, c.fileName), Set(d.directory, c.directory), Set(d.titleText, c.titleText);
            Set(d.classText, c.classText), Set(d.productName, c.productName);
            Set(d.companyName, c.companyName), Set(d.productVersion, c.productVersion);
            d.sizeTest = c.sizeTest, d.sizeBound1 = c.size1, d.sizeBound2 = c.size2;
            d.dateTest = c.dateTest, d.dateBound1 = c.date1, d.dateBound2 = c.date2;
            d.location = c.location, d.titlePosition = c.titlePosition, d.languageId = c.languageId;
            const PLVCandidate candidate = Candidate(m.path, m.title);
            EXPECT_EQ(PLVIdentifyApp(&candidate) != nullptr, m.matches);
        }
    }
};

TEST_F(CriterionTest, FileNameAndDirectory) {
    Expect({{"C:\\OFFICE\\WRITER\\writer.exe", true, {.fileName = "WRITER.EXE"}},
            {"C:\\OFFICE\\WRITER\\WRITER.COM", false, {.fileName = "WRITER.EXE"}},
            {"C:WRITER.EXE", true, {.fileName = "WRITER.EXE"}},
            {"C:/OFFICE/WRITER.EXE", false, {.fileName = "WRITER.EXE"}},  // '/' does not separate here
            {"C:\\OFFICE\\WRITER\\WRITER.EXE", true, {.directory = "\\OFFICE\\WRITER"}},
            {"C:\\OFFICE\\WRITER\\WRITER.EXE", true, {.directory = "\\OFFICE\\WRITER\\"}},
            {"D:\\OLD\\OFFICE\\WRITER\\WRITER.EXE", true, {.directory = "\\OFFICE\\WRITER"}},
            {"C:\\OFFICE\\WRITER\\BIN\\WRITER.EXE", false, {.directory = "\\OFFICE\\WRITER"}},
            {"c:/office/writer\\writer.exe", true, {.directory = "\\office\\writer"}},
            {"C:\\APPS\\EDIT.EXE", true, {.fileName = "EDIT.EXE", .directory = "C:\\APPS"}},
            {"D:\\APPS\\EDIT.EXE", false, {.fileName = "EDIT.EXE", .directory = "C:\\APPS"}},
            {"\\\\SERVER\\SHARE\\APPS\\EDIT.EXE", true, {.directory = "\\APPS"}}});
}

// Files of sizes 999, 1000, 1500, 2000 and 2001 lie in C:\S; C:\D\OLD.EXE
// dates from 1997/12/31, C:\D\NEW.EXE from 1998/08/01, C:\D\ANCIENT.EXE
// from 1979. F: is a network drive.
TEST_F(CriterionTest, SizeDateAndLocation) {
    const std::uint32_t jan1 = FileDate(1998, 1, 1), aug1 = FileDate(1998, 8, 1);
    Expect({{"C:\\S\\999.EXE", false, {.sizeTest = 'B', .size1 = 1000, .size2 = 2000}},
            {"C:\\S\\1000.EXE", true, {.sizeTest = 'B', .size1 = 1000, .size2 = 2000}},
            {"C:\\S\\2000.EXE", true, {.sizeTest = 'B', .size1 = 1000, .size2 = 2000}},
            {"C:\\S\\2001.EXE", false, {.sizeTest = 'B', .size1 = 1000, .size2 = 2000}},
            {"C:\\S\\1000.EXE", false, {.sizeTest = 'L', .size1 = 1000}},
            {"C:\\S\\1000.EXE", false, {.sizeTest = 'G', .size1 = 1000}},
            {"C:\\S\\1500.EXE", true, {.sizeTest = 'E', .size1 = 1500}},
            {"(none)", false, {.sizeTest = 'E'}},
            {"(none)", true, {.sizeTest = 'x'}},
            {"C:\\D\\NEW.EXE", true, {.dateTest = 'E', .date1 = aug1}},
            {"C:\\D\\OLD.EXE", true, {.dateTest = 'L', .date1 = jan1}},
            {"C:\\D\\NEW.EXE", false, {.dateTest = 'L', .date1 = jan1}},
            {"C:\\D\\OLD.EXE", true, {.dateTest = 'B', .date1 = FileDate(1997, 12, 31), .date2 = aug1}},
            {"C:\\D\\NEW.EXE", false, {.dateTest = 'B', .date1 = jan1, .date2 = FileDate(1998, 7, 31)}},
            {"C:\\D\\ANCIENT.EXE", false, {.dateTest = 'G'}},
            {"C:\\APPS\\EDIT.EXE", false, {.location = 'N'}},
            {"F:\\APPS\\EDIT.EXE", true, {.location = 'N'}},
            {"C:\\APPS\\EDIT.EXE", true, {.location = 'L'}},
            {"F:\\APPS\\EDIT.EXE", false, {.location = 'L'}},
            {"\\\\SERVER\\SHARE\\EDIT.EXE", true, {.location = 'N'}},  // an unknown root is remote
            {"F:\\APPS\\EDIT.EXE", true, {.location = 'l'}}});
}

// The candidate's window is "Report - Writer" of class "WriterMainWindow".
TEST_F(CriterionTest, KindTitleAndClass) {
    const char *w = kWriterPath;
    Expect({{w, true, {.kind = 1, .titleText = "Calculator"}},
            {w, false, {.kind = 2, .titleText = "Calculator"}},
            {w, true, {.kind = 2, .titleText = "Writer"}},
            {w, true, {.kind = 1}},
            {w, false, {.kind = 2}},
            {w, false, {.kind = 2, .sizeTest = 'G', .dateTest = 'G', .location = 'L'}},
            {w, false, {.kind = 2, .languageId = 0x409}},
            {w, true, {.kind = 2, .titleText = "Writer", .titlePosition = 0}},
            {w, false, {.kind = 2, .titleText = "Writer", .titlePosition = 0}, "report - writer"},
            {w, true, {.kind = 2, .titleText = "Writer", .titlePosition = 1}, "Writer - Report"},
            {w, false, {.kind = 2, .titleText = "Writer", .titlePosition = 1}},
            {w, true, {.kind = 2, .titleText = "Writer", .titlePosition = 10}},
            {w, false, {.kind = 2, .titleText = "Writer", .titlePosition = 16}},  // just past the end
            {w, false, {.kind = 2, .titleText = "Writer", .titlePosition = 200}},
            {w, true, {.kind = 2, .classText = "writermainwindow"}},
            {w, true, {.kind = 2, .classText = "Main"}},
            {w, false, {.kind = 2, .classText = "OtherWindow"}}});
}

// The program's resource names "Writer Deluxe" of "Valdrin Systems Corp.",
// version "2.80.1234", language 0x409; C:\OFFICE\PLAIN.EXE has no resource
// and matches none of these.
TEST_F(CriterionTest, VersionTextsArePrefixesIgnoringCase) {
    const std::pair<Criteria, bool> cases[] = {
        {{.kind = 2, .productName = "writ"}, true},
        {{.kind = 2, .productName = "Deluxe"}, false},
        {{.kind = 2, .productName = "Writer Deluxe 2"}, false},
        {{.kind = 2, .companyName = "VALDRIN"}, true},
        {{.kind = 2, .productVersion = "2.80"}, true},
        {{.kind = 2, .productVersion = "2.80.1234"}, false},  // the fetched version holds eight
        {{.kind = 2, .languageId = 0x409}, true},
        {{.kind = 2, .productName = "Writer", .companyName = "Valdrin", .productVersion = "2.8",
          .languageId = 0x409},
         true}};
    for (const auto &[criteria, matches] : cases)
        Expect({{kVersioned, matches, criteria}, {"C:\\OFFICE\\PLAIN.EXE", false, criteria}});
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

    // A list the host hangs in its place is asked.
    PLVAppDefinition replacement{};
    replacement.kind = 1;
    Set(replacement.fileName, "EDIT.EXE");
    runtime.definitions = &replacement;
    EXPECT_EQ(PLVIdentifyApp(&candidate), &replacement);
}

// ---- the facts fetched

constexpr char kPath[] = "C:\\APPS\\EDIT.EXE";

TEST_F(IdentificationTest, FileDatesCountWholeDaysSince1980AndAMissingFileHasNone) {
    struct Case {
        std::int64_t when;
        int result;
        std::uint32_t fileDate;
    };
    const Case cases[] = {
        {UtcSeconds(1980, 1, 1, 0), 0, 0},  // day 0 is no date
        {UtcSeconds(1980, 1, 2, 23), 1, 86400},
        {UtcSeconds(2045, 12, 31), 1, (2468346u - 2444240u) * 86400},
        {UtcSeconds(2046, 1, 1), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.when);
        AddFile(kPath, 4321, c.when);
        identification.fileFactsFetched = false;
        std::uint32_t size = 99;
        std::uint32_t fileDate = 99;
        EXPECT_EQ(GetAppFileInfo(kPath, &size, &fileDate), c.result);
        EXPECT_EQ(size, 4321u);  // known even without a date
        EXPECT_EQ(fileDate, c.fileDate);
        EXPECT_EQ(identification.fileFactsFetched, c.result == 1);
    }
    std::uint32_t size = 99;
    std::uint32_t fileDate = 99;
    EXPECT_EQ(GetAppFileInfo("C:\\APPS\\GONE.EXE", &size, &fileDate), 0);
    EXPECT_EQ(size, 0u);  // a missing file has no size either
    EXPECT_EQ(fileDate, 0u);
}

TEST_F(IdentificationTest, VersionInfoWithoutResourceOrTranslationIsNothingAndMissingStringsEmpty) {
    VersionInfo info;
    std::memset(&info, 'x', sizeof info);
    identification.versionFactsFetched = true;
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 0);
    EXPECT_FALSE(identification.versionFactsFetched);

    AddVersion(kPath, 0x409, 0x4E4, {{"ProductName", "Editor"}});
    fake.versions[kPath].translations.clear();
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 0);
    const VersionInfo zero{};
    EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
    EXPECT_TRUE(fake.heap.live.empty());  // the buffer went back

    AddVersion(kPath, 0x409, 0x4E4, {{"CompanyName", ""}});
    std::memset(&info, 'x', sizeof info);
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 1);
    EXPECT_STREQ(info.productName, "");
    EXPECT_STREQ(info.companyName, "");
    EXPECT_STREQ(info.productVersion, "");
    EXPECT_STREQ(info.languageName, "English ");  // "English (United States)", cut to 8
    EXPECT_EQ(info.languageId, 0x409u);
}

// ---- the new definitions recorded

// The record as the writer must receive it, every byte: fields zero-padded.
std::string Bytes(const PLVNewDefinition &definition) {
    return std::string(reinterpret_cast<const char *>(&definition), sizeof definition);
}

class NewDefinitionTest : public IdentificationTest {
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

TEST_F(NewDefinitionTest, DescribesTheUnrecognisedApplication) {
    const struct {
        const char *path, *directory, *fileName, *fileDate;
        std::uint32_t fileSize;
        bool versioned = false;
    } cases[] = {
        {"(none)", "", "", "", 0},
        {"C:\\WRITER.EXE", "C:\\", "WRITER.EXE", "19980801", 12345, true},
        {"WRITER.EXE", "", "WRITER.EXE", "", 0},
        {"C:\\OFFICE\\WRITER\\WRITER.EXE", "C:\\OFFICE\\WRITER", "WRITER.EXE", "19980801", 2000},
        {"X\\WRITER.EXE", "", "WRITER.EXE", "", 0},
        {"LONGFILENAME.EXE", "", "LONGFILENAME", "", 0},
        {"C:\\PROGRA~1\\LONGFILENAME.EXE", "C:\\PROGRA~1", "LONGFILENAME", "", 0},
        {"C:\\OLD\\ANCIENT.EXE", "C:\\OLD", "ANCIENT.EXE", "", 777},
        {"C:\\NEW\\FUTURE.EXE", "C:\\NEW", "FUTURE.EXE", "", 888},
        {"C:\\LATE\\LATE.EXE", "C:\\LATE", "LATE.EXE", "19980802", 5}};
    AddDefinition(1).sizeTest = 'L';  // needs the file facts first, matches nothing
    std::size_t count = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
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
        ASSERT_EQ(recorded.size(), ++count);
        EXPECT_EQ(Bytes(recorded.back()), Bytes(expected));
    }
}

}  // namespace
}  // namespace plv::testing
