#include "usage/log_files.h"

#include <cstring>
#include <string>

#include "core/library_state.h"
#include "log_reader.h"
#include "support/library_test.h"
#include "support/pending_events.h"
#include "usage/scrambling.h"
#include "usage/usage_event.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kAugust20[] = "F:\\PLV\\LOGS\\19980820.LOG";
constexpr char kAugust21[] = "F:\\PLV\\LOGS\\19980821.LOG";
constexpr char kInitiated[] = "1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;Initiated;;;;;;";

class LogFileTest : public LibraryTest {
  protected:
    LogFileTest() {
        Initialize();
        fake.files.journal.clear();
    }
    void Add(const char *eventText = "Initiated", const char *application = "C:\\APPS\\EDITOR.EXE") {
        ASSERT_EQ(PLVAddEvent(eventText, application, ""), 1);
    }
    std::vector<std::string> Lines(const std::string &path) const {
        std::vector<std::string> lines;
        if (const FakePlatform::File *file = fake.FindFile(path)) {
            auto log = logs::ParseLogFile(file->data);
            EXPECT_TRUE(log && log->skippedBytes == 0) << path;
            for (const auto &record : log->records) lines.push_back(record.line);
        }
        return lines;
    }
    std::size_t PendingCount() const { return PendingEvents(runtime).size(); }
};

TEST_F(LogFileTest, NewFileIsHeaderThenScrambledRecordByteForByte) {
    fake.clock.now = 903549492;  // 1998-08-19 17:58:12 UTC; low 16 bits 0x1234 give key 246
    Add();
    ASSERT_EQ(PLVUpdateLogs(), 1);

    const std::string line =
        "1998/08/19;17:58:12;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;Initiated;;;;;;";
    std::string scrambled = line;
    EncryptString(scrambled.data(), static_cast<uint16_t>(scrambled.size()), 246);
    const std::string header = "Pelvantine usage log";
    const std::string expected = std::string("\x00\x00\x14\x00", 4) + header +
                                 std::string("\x0D\x0A\x18\x01\xF6\x00\x49\x00", 8) + scrambled;
    const FakePlatform::File *file = fake.FindFile("F:\\PLV\\LOGS\\19980819.LOG");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->data, expected);
    EXPECT_THAT(Lines("F:\\PLV\\LOGS\\19980819.LOG"), ElementsAre(line));
}

TEST_F(LogFileTest, HeaderTextIsCutTo64Characters) {
    std::memset(agent.logHeaderText, 'H', 67);
    agent.logHeaderText[67] = '\0';
    Add();
    PLVUpdateLogs();
    ASSERT_NE(fake.FindFile(kAugust20), nullptr);
    EXPECT_EQ(fake.FindFile(kAugust20)->data.substr(0, 72),
              std::string("\x00\x00\x40\x00", 4) + std::string(64, 'H') + "\r\n\x18\x01");
}

// Written after midnight, the first two still go to the file of their date.
TEST_F(LogFileTest, EventsGoToTheFileOfTheirOwnDateInOnePass) {
    Add();
    Add("Terminated");
    fake.SetLocalTime(1998, 8, 21, 0, 0, 5);
    Add();
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_THAT(fake.files.journal,
                ElementsAre(std::string("open ") + kAugust20, ::testing::StartsWith("write"),
                            ::testing::StartsWith("write"), ::testing::StartsWith("write"),
                            std::string("close ") + kAugust20, std::string("open ") + kAugust21,
                            ::testing::StartsWith("write"), ::testing::StartsWith("write"),
                            std::string("close ") + kAugust21));
    EXPECT_EQ(Lines(kAugust20).size(), 2u);
    EXPECT_EQ(Lines(kAugust21).size(), 1u);
    EXPECT_EQ(static_cast<void *>(runtime.pendingEvents), nullptr);
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
}

// An event whose date names no log file (it can come through RebuildEvent)
// is refused where it would enter the pending list, so it cannot hold back
// the events after it; those are traced with their file.
TEST_F(LogFileTest, AnEventWhoseDateNamesNoFileIsRefusedAndHoldsNothingBack) {
    const std::string rest = ";09:15:02;WS-017;JDOE;SALES;;C:\\APPS\\BAD.EXE;Initiated;;;;;;";
    for (const char *date : {"1998-08-20", "98/08/20", "", "1998/8/20", "1998/08/2x"}) {
        PLVUsageEvent event{};
        RebuildEvent((date + rest).c_str(), &event);
        fake.host.messages.clear();
        EXPECT_EQ(LogEvent(&event), 0) << date;
        EXPECT_THAT(fake.ListBoxLines(),
                    ElementsAre("09:15:02 Event refused, its date is not YYYY/MM/DD: " +
                                std::string(event.date) + rest))
            << date;
    }
    EXPECT_EQ(PendingCount(), 0u);
    Add();
    fake.host.messages.clear();
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_THAT(Lines(kAugust20), ElementsAre(kInitiated));
    EXPECT_THAT(fake.ListBoxLines(), ElementsAre(std::string("09:15:02 Log File: ") + kAugust20,
                                                 std::string("09:15:02 Log Write: ") + kInitiated));
}

// The longest line there can be is written and read back whole.
TEST_F(LogFileTest, ALineOfFullFieldsIs422Characters) {
    PLVUsageEvent event{};
    auto fill = [](auto &field) {
        std::memset(field, 'a', sizeof field - 1);
        field[sizeof field - 1] = '\0';
    };
    fill(event.workstation), fill(event.user), fill(event.userContext), fill(event.spare1);
    fill(event.application), fill(event.eventText), fill(event.identifier), fill(event.count1);
    fill(event.count2), fill(event.spare2);
    std::strcpy(event.date, "1998/08/20"), std::strcpy(event.startDate, "1998/08/20");
    std::strcpy(event.time, "09:15:02"), std::strcpy(event.startTime, "09:00:00");
    event.flags = PLV_EVENT_WANTS_SHARED_LOG;
    ASSERT_EQ(LogEvent(&event), 1);
    Add();  // building an event arms the shared log
    EXPECT_EQ(PLVUpdateLogs(), 1);
    const auto lines = Lines(kAugust20);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 422u);
}

TEST_F(LogFileTest, ShortWriteIsCutBackAndTheRetryDecodesCompletely) {
    Add();
    PLVUpdateLogs();  // the file exists with one record
    for (BOOL result : {FALSE, TRUE}) {  // a failed write, and a short one reported as done
        Add("Terminated");
        Add("Initiated", "C:\\APPS\\OTHER.EXE");
        const std::size_t before = Lines(kAugust20).size();
        fake.SetLastError(ERROR_SUCCESS);
        fake.files.writeFaults[kAugust20] = {result, 10, ERROR_DISK_FULL, 1};
        EXPECT_EQ(PLVUpdateLogs(), 0);
        EXPECT_EQ(Lines(kAugust20).size(), before);  // no partial record left behind
        EXPECT_EQ(PendingCount(), 2u);
        if (!result) {
            EXPECT_EQ(GetFileError(), static_cast<int32_t>(ERROR_DISK_FULL));
        }

        EXPECT_EQ(PLVUpdateLogs(), 1);
        const auto lines = Lines(kAugust20);
        ASSERT_EQ(lines.size(), before + 2);
        EXPECT_THAT(lines[before], ::testing::HasSubstr(";Terminated;"));
        EXPECT_THAT(lines[before + 1], ::testing::HasSubstr("OTHER.EXE"));
    }
}

TEST_F(LogFileTest, FailedHeaderWriteDeletesTheNewFile) {
    fake.files.writeFaults[kAugust20] = {FALSE, 0, ERROR_DISK_FULL, 1};
    Add();
    EXPECT_EQ(PLVUpdateLogs(), 0);
    EXPECT_EQ(GetFileError(), static_cast<int32_t>(ERROR_DISK_FULL));
    EXPECT_EQ(fake.FindFile(kAugust20), nullptr);
    EXPECT_EQ(fake.files.journal.back(), std::string("delete ") + kAugust20);
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_THAT(Lines(kAugust20), ElementsAre(kInitiated));
}

TEST_F(LogFileTest, CloseIsRetriedThenReportedOnce) {
    agent.closeRetryCount = 2;
    fake.files.closeFaults[kAugust20] = {ERROR_NETNAME_DELETED, 3};
    Add();
    fake.host.messages.clear();
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_EQ(fake.sleeps, (std::vector<DWORD>{100, 100, 100}));
    const auto lines = fake.ListBoxLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(lines.back(),
                ::testing::AllOf(::testing::StartsWith("09:15:02 Failed to close log file: handle = "),
                                 ::testing::EndsWith(", path = F:\\PLV\\LOGS\\19980820.LOG")));
    EXPECT_TRUE(core.networkFailure);  // the failed closes had no path: counted as remote
}

// The local SMS log is closed once, whatever the retry count.
TEST_F(LogFileTest, TheSmsLogsCloseIsTriedOnce) {
    agent.closeRetryCount = 2;
    agent.optionFlags |= PLV_OPT_SMS_OUTPUT;
    fake.environment["PLVHPATH"] = "D:\\METER";
    fake.files.directories.insert("D:\\METER");
    fake.files.closeFaults["D:\\METER\\19980820.LOG"] = {ERROR_NETNAME_DELETED, 3};
    Add();
    PLVUpdateLogs();
    EXPECT_EQ(fake.sleeps, std::vector<DWORD>{100});  // after its one failed attempt
}

// Each event arms the shared log for the close retry count plus one calls;
// what is still pending then waits, kept, for the next event.
TEST_F(LogFileTest, AnUnreachableShareIsTriedCloseRetryCountPlusOneCallsPerEvent) {
    agent.closeRetryCount = 2;
    fake.files.openFaults[kAugust20] = {ERROR_BAD_NETPATH, -1};
    Add();
    for (int call = 0; call < 5; ++call) EXPECT_EQ(PLVUpdateLogs(), call <= 2 ? 0 : 1) << call;
    EXPECT_EQ(fake.files.journal.size(), 3u);  // opens tried
    fake.files.openFaults.clear();
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_EQ(PendingCount(), 1u);  // kept, never discarded
    Add("Terminated");              // restarts the countdown
    EXPECT_EQ(PLVUpdateLogs(), 1);
    EXPECT_EQ(Lines(kAugust20).size(), 2u);
    EXPECT_EQ(PendingCount(), 0u);
}

TEST_F(LogFileTest, SmsLogGoesToPlvhpathAndIsHidden) {
    struct Case {
        const char *variable;  // null: unset
        const char *directory;
    };
    const Case cases[] = {
        {"D:\\METER", "D:\\METER\\"}, {"D:", "D:"}, {"D:\\METER\\", "D:\\METER\\"},
        {nullptr, "c:\\"}, {"", "c:\\"},
    };
    for (const Case &c : cases) {
        fake.environment.clear();
        if (c.variable) fake.environment["PLVHPATH"] = c.variable;
        EXPECT_EQ(SmsLogDirectory(), c.directory) << (c.variable ? c.variable : "(unset)");
    }
    fake.environment["PLVHPATH"] = "D:\\METER";
    fake.files.directories.insert("D:\\METER");
    agent.optionFlags |= PLV_OPT_SMS_OUTPUT;
    Add();
    EXPECT_EQ(PLVUpdateLogs(), 1);
    const std::string sms = "D:\\METER\\19980820.LOG";
    EXPECT_THAT(Lines(sms), ElementsAre(kInitiated));
    EXPECT_EQ(fake.FindFile(sms)->attributes, FILE_ATTRIBUTE_HIDDEN);  // "normal" counts only alone
    EXPECT_THAT(Lines(kAugust20), ElementsAre(kInitiated));
    EXPECT_EQ(static_cast<void *>(runtime.pendingEvents), nullptr);
}

// ---- the scrambling of records

// Worked by hand from the generator: state := state * 22695477 + 1, value :=
// bits 16-30 of the state modulo 255; the key seeds it, each byte adds a value.
TEST_F(LibraryTest, ScramblingMatchesTheGeneratorByteForByte) {
    std::string text = "Initiated";
    EncryptString(text.data(), static_cast<uint16_t>(text.size()), 7);
    const unsigned char expected[] = {0x38, 0xd4, 0xf1, 0xc4, 0x05, 0xea, 0x8c, 0xe7, 0xdc};
    EXPECT_EQ(text, std::string(reinterpret_cast<const char *>(expected), sizeof expected));
}

// Any length, whole blocks of four bytes or not, up to a log line's, adds
// the values of one generator step a byte and leaves the generator where
// those steps end; unscrambling with the same key restores the text.
TEST_F(LibraryTest, ScramblingIsOneGeneratorStepAByteAtAnyLength) {
    for (const uint16_t key : {1, 7, 128, 254}) {
        for (uint16_t length = 0; length <= 74; length += length < 13 ? 1 : 60) {
            std::string text(length, 'a'), expected = text;
            KeyedRandom(key);
            for (char &c : expected)
                c = static_cast<char>(static_cast<unsigned char>(c) + KeyedRandom(0));
            const uint16_t next = KeyedRandom(0);
            EncryptString(text.data(), length, key);
            EXPECT_EQ(text, expected) << key << " " << length;
            EXPECT_EQ(KeyedRandom(0), next);
            DecryptString(text.data(), length, key);
            EXPECT_EQ(text, std::string(length, 'a'));
        }
    }
}

// The key of clock reading 0x1234 shows in the log file test's bytes.
TEST_F(LibraryTest, KeysStayBetween1And254WithoutWaitingForTheClock) {
    for (std::int64_t t = 0; t < 70000; ++t) {
        fake.clock.now = t;
        const uint16_t key = GetNewKey();
        ASSERT_GE(key, 1) << t;
        ASSERT_LE(key, 254) << t;
    }
    fake.clock.now = 81;  // seeds a zero key: the generator steps on
    EXPECT_EQ(GetNewKey(), 90);
}

}  // namespace
}  // namespace plv::testing
