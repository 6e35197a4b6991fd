#include "time/time_services.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/library_test.h"

namespace plv::testing {
namespace {

// What the scripted services answer, and what they were asked.
struct Script {
    DWORD result = 0;
    std::vector<std::string> calls;
    std::basic_string<WCHAR> server;
    BYTE ntTod[48] = {};
    bool ntBufferFreed = false;
    BYTE tod95[22] = {};
    BYTE netWare[7] = {};
    DWORD connection = 0;
    WORD findResult = 0;
    BYTE portSeen = 0xFF;
    WORD vinesTime[12] = {};
} script;

DWORD WINAPI NetRemoteTodNT(LPCWSTR server, BYTE **buffer) {
    script.calls.push_back("NetRemoteTOD");
    script.server = server;
    *buffer = script.ntTod;
    return script.result;
}
DWORD WINAPI NetRemoteTod95(const char *, char *buffer, unsigned short size) {
    script.calls.push_back("NetRemoteTOD95:" + std::to_string(size));
    std::memcpy(buffer, script.tod95, sizeof script.tod95);
    return script.result;
}
DWORD WINAPI NetApiBufferFree(LPVOID buffer) {
    script.ntBufferFreed = buffer == script.ntTod;
    return 0;
}
WORD WINAPI NWGetFileServerDateAndTime(DWORD connection, BYTE *buffer) {
    script.calls.push_back("NWGetFileServerDateAndTime");
    script.connection = connection;
    std::memcpy(buffer, script.netWare, 7);
    return static_cast<WORD>(script.result);
}
WORD WINAPI VnsStartStSession(DWORD a, DWORD b, DWORD c, BYTE *) {
    script.calls.push_back("Start:" + std::to_string(a) + std::to_string(b) + std::to_string(c));
    return 0;
}
void WINAPI VnsSetPortNull(BYTE *port) {
    script.calls.push_back("SetPortNull");
    port[0] = 0x55;
}
WORD WINAPI VnsFindSvc(DWORD a, BYTE *, DWORD b, DWORD c, DWORD d, DWORD e, DWORD, DWORD, DWORD,
                       DWORD, DWORD, DWORD, DWORD, DWORD) {
    script.calls.push_back("FindSvc:" + std::to_string(a) + "," + std::to_string(b) + "," +
                           std::to_string(c) + "," + std::to_string(d) + "," + std::to_string(e));
    return script.findResult;
}
WORD WINAPI VnsGetLocalTime(BYTE *, BYTE *port, WORD *time) {
    script.calls.push_back("GetLocalTime");
    script.portSeen = port[0];
    std::memcpy(time, script.vinesTime, sizeof script.vinesTime);
    return static_cast<WORD>(script.result);
}
WORD WINAPI VnsEndStSession(BYTE *) {
    script.calls.push_back("EndSession");
    return 0;
}
void WINAPI VnsDone() { script.calls.push_back("Done"); }
void WINAPI UnloadTrueDll() { script.calls.push_back("UnloadTrueDLL"); }

class TimeServiceTest : public LibraryTest {
  protected:
    TimeServiceTest() {
        script = Script{};
        Initialize();
        std::strcpy(runtime.timeServerName, "TIMESRV");
        workstationDate = {20, 8, 1998, 4};
        workstationTime = {9, 15, 2, 0};
    }
    HMODULE Load(std::map<std::string, FARPROC> entries) {
        HMODULE module = fake.RegisterModule("NETAPI.DLL", std::move(entries));
        runtime.networkModule = module;
        return module;
    }
    bool Ask() {
        date = workstationDate;
        time = workstationTime;
        return AskTimeSource(&date, &time);
    }
    std::tuple<int, int, int, int, int, int> Answer() const {
        return {int{date.year}, int{date.month}, int{date.day}, int{time.hour}, int{time.minute},
                int{time.second}};
    }

    WSDate workstationDate{}, date{};
    WSTime workstationTime{}, time{};
};

const std::map<std::string, FARPROC> kLanManager = {
    {"NetRemoteTOD", AsEntry(&NetRemoteTodNT)}, {"NetApiBufferFree", AsEntry(&NetApiBufferFree)}};
const std::map<std::string, FARPROC> kVines = {
    {"VnsSetPortNull", AsEntry(&VnsSetPortNull)},     {"VnsFindSvc", AsEntry(&VnsFindSvc)},
    {"VnsStartStSession", AsEntry(&VnsStartStSession)}, {"VnsGetLocalTime", AsEntry(&VnsGetLocalTime)},
    {"VnsEndStSession", AsEntry(&VnsEndStSession)},   {"VnsDone", AsEntry(&VnsDone)},
    {"UnloadTrueDLL", AsEntry(&UnloadTrueDll)}};

TEST_F(TimeServiceTest, OnlyACompleteModuleIsAskedAndAnIncompleteOneIsReleasedAtOnce) {
    runtime.networkModule = nullptr;
    EXPECT_EQ(InitializeNetworkAPI(kNetworkLanManager), 0);
    EXPECT_FALSE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1998, 8, 20, 9, 15, 2));
    struct Case {
        const char *what;
        std::map<std::string, FARPROC> entries;
        std::int32_t kind;
        int freesBeforeTerminate;
    };
    const Case cases[] = {
        {"code one binds nothing but holds the module", kLanManager, kNetworkNone, 0},
        {"LAN Manager missing an entry",
         {{"NetRemoteTOD", AsEntry(&NetRemoteTodNT)}},
         kNetworkLanManager,
         1},
        {"NetWare missing its entry", {}, kNetworkNetWare, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HMODULE module = Load(c.entries);
        EXPECT_EQ(InitializeNetworkAPI(c.kind), 0);
        EXPECT_EQ(fake.ModuleOf(module).frees, c.freesBeforeTerminate);
        EXPECT_FALSE(Ask());
        EXPECT_TRUE(script.calls.empty());
        TerminateNetworkAPI();
        EXPECT_EQ(fake.ModuleOf(module).frees, 1);  // released once only
    }
}

TEST_F(TimeServiceTest, LanManagerOnNTConvertsElapsedSecondsToLocalZone) {
    Load(kLanManager);
    ASSERT_EQ(InitializeNetworkAPI(kNetworkLanManagerNT), 1);
    const std::uint32_t elapsed = 921412800;  // 1999-03-14 12:00:00 UTC, not the workstation's day
    const std::int32_t minutesWest = 300;
    std::memcpy(script.ntTod, &elapsed, 4);
    std::memcpy(script.ntTod + 24, &minutesWest, 4);
    ASSERT_TRUE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1999, 3, 14, 7, 0, 0));
    EXPECT_EQ(script.server, (std::basic_string<WCHAR>{'T', 'I', 'M', 'E', 'S', 'R', 'V'}));
    EXPECT_TRUE(script.ntBufferFreed);
    // The longest name the record holds reaches the server whole.
    const std::string longest(sizeof runtime.timeServerName - 1, 'S');
    std::strcpy(runtime.timeServerName, longest.c_str());
    ASSERT_TRUE(Ask());
    EXPECT_EQ(script.server, std::basic_string<WCHAR>(longest.begin(), longest.end()));

    // It needs a time server and a successful call.
    TerminateNetworkAPI();
    Load(kLanManager);
    ASSERT_EQ(InitializeNetworkAPI(kNetworkLanManager), 1);
    script.calls.clear();
    runtime.timeServerName[0] = '\0';
    EXPECT_FALSE(Ask());
    EXPECT_TRUE(script.calls.empty());
    std::strcpy(runtime.timeServerName, "TIMESRV");
    script.result = 53;
    EXPECT_FALSE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1998, 8, 20, 9, 15, 2));
}

TEST_F(TimeServiceTest, LanManagerOnWindows95ReadsTheShortRecord) {
    fake.version.platformId = VER_PLATFORM_WIN32_WINDOWS;
    Initialize();
    Load({{"NetRemoteTOD", AsEntry(&NetRemoteTod95)},
          {"NetApiBufferFree", AsEntry(&NetApiBufferFree)}});
    ASSERT_EQ(InitializeNetworkAPI(kNetworkLanManager), 1);
    script.tod95[8] = 13, script.tod95[9] = 14, script.tod95[10] = 15;
    script.tod95[16] = 21, script.tod95[17] = 9, script.tod95[18] = 0xCF, script.tod95[19] = 0x07;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1999, 9, 21, 13, 14, 15));
    EXPECT_EQ(script.calls, std::vector<std::string>{"NetRemoteTOD95:22"});
}

TEST_F(TimeServiceTest, NetWareAnswersWithTheHostsConnection) {
    runtime.netWareConnection = 0x77;
    Load({{"NWGetFileServerDateAndTime", AsEntry(&NWGetFileServerDateAndTime)}});
    ASSERT_EQ(InitializeNetworkAPI(kNetworkNetWare4), 1);
    const BYTE answer[7] = {97, 7, 19, 10, 11, 12, 99};
    std::memcpy(script.netWare, answer, 7);
    ASSERT_TRUE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1997, 7, 19, 10, 11, 12));
    EXPECT_EQ(script.connection, 0x77u);
    script.result = 1;  // refused: no time, and the workstation's stays
    EXPECT_FALSE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1998, 8, 20, 9, 15, 2));
}

// Every question that opened a session ends it, answered or not.
TEST_F(TimeServiceTest, VinesAsksInOrderAndEndsEverySessionItStarted) {
    Load(kVines);
    ASSERT_EQ(InitializeNetworkAPI(kNetworkVines), 1);
    script.findResult = 1;
    const WORD answer[6] = {30, 45, 16, 2, 3, 2001};
    std::memcpy(script.vinesTime, answer, sizeof answer);
    ASSERT_TRUE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(2001, 3, 2, 16, 45, 30));
    EXPECT_EQ(script.portSeen, 0);  // a failed search clears the port but goes on
    EXPECT_EQ(script.calls,
              (std::vector<std::string>{"Start:010", "SetPortNull", "FindSvc:7,1,4,41100,69999",
                                        "GetLocalTime", "EndSession"}));
    script.calls.clear();
    script.result = 5;
    EXPECT_FALSE(Ask());
    EXPECT_EQ(std::count(script.calls.begin(), script.calls.end(), "EndSession"), 1);
    EXPECT_EQ(script.calls.back(), "EndSession");
    script.calls.clear();
    TerminateNetworkAPI();
    TerminateNetworkAPI();  // the module is gone: nothing is left to end
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Done", "UnloadTrueDLL"}));
}

// The clock file counts only while another process holds its liveness byte.
TEST_F(TimeServiceTest, ClockFileAndItsLocksAnswerWindowsErrorCodes) {
    const char *path = "F:\\PLV\\SYSTEM\\CLOCK.DAT";
    fake.files.files[path].data = std::string("\x13\x62\x0C\x1F\x17\x3B\x3A\x00", 8);
    EXPECT_EQ(OpenClockFile("F:\\PLV\\SYSTEM\\NONE.DAT"), nullptr);
    PLVHANDLE file = agent.clockFile = OpenClockFile(path);
    ASSERT_NE(file, nullptr);
    agent.optionFlags |= PLV_OPT_CLOCK_FILE;
    fake.LockByOtherProcess(path, 7, 1);
    EXPECT_EQ(PLVLock(file, 2, 7, 1), ERROR_LOCK_VIOLATION);
    ASSERT_TRUE(Ask());
    EXPECT_EQ(Answer(), std::make_tuple(1998, 12, 31, 23, 59, 58));
    fake.files.files[path].data.resize(6);
    EXPECT_FALSE(Ask());  // a file cut short holds no time
    fake.ReleaseOtherProcessLocks();
    EXPECT_FALSE(Ask());                   // nobody keeps it current
    EXPECT_EQ(PLVLock(file, 2, 7, 1), 0);  // our own probe was released
    EXPECT_EQ(PLVLock(file, 0, 7, 1), 0);
    EXPECT_EQ(PLVLock(file, 0, 7, 1), ERROR_NOT_LOCKED);
    EXPECT_EQ(PLVLock(file, 1, 7, 1), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace plv::testing
