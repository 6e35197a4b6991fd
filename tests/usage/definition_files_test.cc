#include "usage/definition_files.h"

#include <cstring>
#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

using ::testing::StartsWith;

constexpr char kAugust20[] = "F:\\PLV\\LOGS\\19980820.DEF";
constexpr char kAugust21[] = "F:\\PLV\\LOGS\\19980821.DEF";
constexpr char kEditorLine[] =
    "19980820;09:15:02;WS-017;JDOE;SALES;C:\\APPS;EDITOR.EXE;19980115;-1294967296;"
    "Editor; untitled;EdFrame;Editor;Acme Corp;2.1;0409";
// A program path of "(none)" and no version resource.
constexpr char kUnnamedLine[] = "19980820;09:15:02;WS-017;JDOE;SALES;;;;0;Untitled;Frame;;;;0000";

PLVNewDefinition Editor() {
    PLVNewDefinition d{};
    std::strcpy(d.directory, "C:\\APPS");
    std::strcpy(d.fileName, "EDITOR.EXE");
    std::strcpy(d.fileDate, "19980115");
    d.fileSize = 3000000000u;
    std::strcpy(d.windowTitle, "Editor; untitled");
    std::strcpy(d.windowClass, "EdFrame");
    std::strcpy(d.productName, "Editor");
    std::strcpy(d.companyName, "Acme Corp");
    std::strcpy(d.productVersion, "2.1");
    d.languageId = 0x409;
    return d;
}

PLVNewDefinition Unnamed() {
    PLVNewDefinition d{};
    std::strcpy(d.windowTitle, "Untitled");
    std::strcpy(d.windowClass, "Frame");
    return d;
}

template <std::size_t Width>
void Fill(char (&field)[Width], char c) {
    std::memset(field, c, Width - 1);
    field[Width - 1] = '\0';
}

class DefinitionFileTest : public LibraryTest {
  protected:
    DefinitionFileTest() { Initialize(); }
    std::string Data(const char *path) const {
        const FakePlatform::File *file = fake.FindFile(path);
        return file ? file->data : "<missing>";
    }
};

// A failed close is retried, then traced; the lines stay written.
TEST_F(DefinitionFileTest, LinesAreWrittenByteForByteAndTracedAndAFailedCloseIsRetried) {
    agent.closeRetryCount = 1;
    fake.files.closeFaults[kAugust20] = {ERROR_NETNAME_DELETED, 2};
    RecordNewAppDef(Editor());
    RecordNewAppDef(Unnamed());
    EXPECT_EQ(UpdateAppDefs(), 1);
    EXPECT_EQ(fake.sleeps, (std::vector<DWORD>{100, 100}));
    EXPECT_THAT(fake.ListBoxLines().back(),
                ::testing::AllOf(StartsWith("09:15:02 Failed to close def file: handle = "),
                                 ::testing::EndsWith(std::string(", path = ") + kAugust20)));
    EXPECT_EQ(Data(kAugust20), std::string(kEditorLine) + "\r\n" + kUnnamedLine + "\r\n");
    EXPECT_EQ(static_cast<void *>(runtime.pendingDefinitions), nullptr);
    EXPECT_THAT(fake.ListBoxLines(),
                ::testing::IsSupersetOf({std::string("09:15:02 AppDef: ") + kEditorLine,
                                         std::string("09:15:02 Def File: ") + kAugust20,
                                         std::string("09:15:02 Definition Write: ") + kUnnamedLine}));
}

TEST_F(DefinitionFileTest, FullFieldsGiveTheLongestLineAndLongIdentitiesAreCut) {
    Fill(runtime.workstationName, 'W');
    Fill(runtime.userName, 'U');  // 73 characters: more than a definition holds
    Fill(runtime.userContext, 'C');
    PLVNewDefinition d{};
    Fill(d.directory, 'D');
    Fill(d.fileName, 'F');
    Fill(d.fileDate, '9');
    d.fileSize = 0x80000000u;
    Fill(d.windowTitle, 'T');
    Fill(d.windowClass, 'K');
    Fill(d.productName, 'P');
    Fill(d.companyName, 'M');
    Fill(d.productVersion, 'V');
    d.languageId = 0xABCD;
    RecordNewAppDef(d);
    UpdateAppDefs();
    const std::string data = Data(kAugust20);
    ASSERT_EQ(data.size(), kMaxDefinitionLine + 2);
    EXPECT_EQ(data.substr(18, 60 + 65 + 33), std::string(59, 'W') + ";" + std::string(64, 'U') +
                                                 ";" + std::string(32, 'C') + ";");
    EXPECT_THAT(data, ::testing::EndsWith(";-2147483648;" + std::string(63, 'T') + ";" +
                                          std::string(35, 'K') + ";" + std::string(35, 'P') + ";" +
                                          std::string(35, 'M') + ";VVVVVVVV;abcd\r\n"));
}

TEST_F(DefinitionFileTest, DefinitionsBeforeAndAfterMidnightGoToTwoFilesInOnePass) {
    fake.files.files[kAugust20].data = "old\r\n";  // an existing file is appended to
    fake.SetLocalTime(1998, 8, 20, 23, 59, 58);
    RecordNewAppDef(Editor());
    RecordNewAppDef(Unnamed());
    fake.SetLocalTime(1998, 8, 21, 0, 0, 1);
    RecordNewAppDef(Editor());
    fake.files.journal.clear();
    EXPECT_EQ(UpdateAppDefs(), 1);
    EXPECT_THAT(fake.files.journal,
                ::testing::ElementsAre(std::string("open ") + kAugust20, StartsWith("write"),
                                       StartsWith("write"), std::string("close ") + kAugust20,
                                       std::string("open ") + kAugust21, StartsWith("write"),
                                       std::string("close ") + kAugust21));
    EXPECT_THAT(Data(kAugust20), StartsWith("old\r\n19980820;23:59:58;"));
    EXPECT_THAT(Data(kAugust21), StartsWith("19980821;00:00:01;WS-017;"));
}

TEST_F(DefinitionFileTest, PassesLastCloseRetryCountPlusOneThenWaitForTheNextDefinition) {
    for (std::uint32_t retries : {0u, 2u}) {
        agent.closeRetryCount = retries;
        fake.files.openFaults[kAugust20] = {ERROR_BAD_NETPATH, -1};
        RecordNewAppDef(Editor());
        fake.files.journal.clear();
        for (int call = 0; call < 5; ++call)
            EXPECT_EQ(UpdateAppDefs(), call <= static_cast<int>(retries) ? 0 : 1);
        EXPECT_EQ(fake.files.journal.size(), retries + 1);  // opens tried
        ASSERT_NE(static_cast<void *>(runtime.pendingDefinitions), nullptr);  // kept, never discarded

        fake.files.openFaults.clear();
        RecordNewAppDef(Unnamed());  // restarts the countdown
        EXPECT_EQ(UpdateAppDefs(), 1);
        EXPECT_EQ(Data(kAugust20), std::string(kEditorLine) + "\r\n" + kUnnamedLine + "\r\n");
        fake.files.files.clear();
    }
}

TEST_F(DefinitionFileTest, FailedOrShortWriteLeavesNoPartialLine) {
    for (BOOL result : {FALSE, TRUE}) {  // a failed write, and a short one reported as done
        fake.files.files[kAugust20].data = "old\r\n";
        RecordNewAppDef(Editor());
        fake.files.writeFaults[kAugust20] = {result, 10, ERROR_DISK_FULL, 1};
        EXPECT_EQ(UpdateAppDefs(), 0);
        EXPECT_EQ(Data(kAugust20), "old\r\n");
        EXPECT_EQ(UpdateAppDefs(), 1);
        EXPECT_EQ(Data(kAugust20), std::string("old\r\n") + kEditorLine + "\r\n");
    }
}

}  // namespace
}  // namespace plv::testing
