#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>

#include "monitor/metering_state.h"
#include "support/library_test.h"
#include "support/pending_events.h"

namespace plv::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kKnownVxDs[] = "System\\CurrentControlSet\\Control\\SessionManager\\KnownVxDs";
constexpr char kWowBoot[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot";
constexpr char kDevice[] = "\\\\.\\PLVDOS";
constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";
#define INIT_FAILURE(component) "Initialization Failure|Pelvantine|" component

// What the companion modules were asked, and what they answer.
struct Companions {
    std::vector<std::pair<DWORD, DWORD>> serviceRegistrations;
    DWORD serviceAnswer = 1;
    std::vector<std::string> processListDirectories;
    BOOL processListAnswer = TRUE;
} companions;

DWORD WINAPI RegisterServiceProcess(DWORD processId, DWORD type) {
    companions.serviceRegistrations.emplace_back(processId, type);
    return companions.serviceAnswer;
}
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD, DWORD) { return nullptr; }
BOOL WINAPI Process32Step(HANDLE, PROCESSENTRY32 *) { return FALSE; }
BOOL WINAPI InitNTProcessList(const char *agentDirectory) {
    companions.processListDirectories.emplace_back(agentDirectory);
    return companions.processListAnswer;
}
BOOL WINAPI ResetNTProcessList() { return TRUE; }
DWORD WINAPI GetNextProcessID() { return 0; }
BYTE WINAPI GetProcessExePath(DWORD, char *, BYTE *) { return 0; }
void WINAPI FreeNTProcessList() {}

const std::map<std::string, FARPROC> kKernelEntries = {
    {"CreateToolhelp32Snapshot", AsEntry(&CreateToolhelp32Snapshot)},
    {"Process32First", AsEntry(&Process32Step)},
    {"Process32Next", AsEntry(&Process32Step)},
    {"RegisterServiceProcess", AsEntry(&RegisterServiceProcess)}};
const std::map<std::string, FARPROC> kProcessListEntries = {
    {"InitNTProcessList", AsEntry(&InitNTProcessList)},
    {"ResetNTProcessList", AsEntry(&ResetNTProcessList)},
    {"GetNextProcessID", AsEntry(&GetNextProcessID)},
    {"GetProcessExePath", AsEntry(&GetProcessExePath)},
    {"FreeNTProcessList", AsEntry(&FreeNTProcessList)}};

// A machine where start-up succeeds on either platform family; each test
// takes away what it needs missing.
class MeteringStartupTest : public LibraryTest {
  protected:
    MeteringStartupTest() { companions = Companions{}; }

    void StartOn(DWORD platformId, const char *missingEntry = "") {
        fake.version.platformId = platformId;
        HMODULE kernel = fake.RegisterModule("KERNEL32", kKernelEntries);
        fake.systemModules.insert("KERNEL32");
        processListModule = fake.RegisterModule("PLVNTPRL.DLL", kProcessListEntries);
        for (HMODULE module : {kernel, processListModule})
            fake.ModuleOf(module).entries.erase(missingEntry);
        fake.devices[kDevice] = FakePlatform::Device{};
        Initialize();
    }
    std::string RegistryText(const char *key, const char *name) const {
        const auto *value = fake.FindRegistryValue(key, name);
        return value != nullptr ? value->data : "<none>";
    }

    HMODULE processListModule = nullptr;
};

struct World {
    FakePlatform &fake;
    PLVAgentState &agent;
    HMODULE processListModule;
};
const FakePlatform::Fault kDenied{ERROR_ACCESS_DENIED, -1};
void Intact(World &) {}
void NoKernel(World &t) { t.fake.systemModules.clear(); }
void ServiceRefused(World &t) { t.agent.optionFlags = 0, companions.serviceAnswer = 0; }
void NoDriver(World &t) { t.fake.devices[kDevice].present = false; }
void DriverRefuses(World &t) { t.fake.devices[kDevice].answer = FALSE; }
void NoKnownVxDs(World &t) {
    t.fake.registry.openFaults[kKnownVxDs] = t.fake.registry.createFaults[kKnownVxDs] = kDenied;
}
void KnownVxDsUnwritable(World &t) {
    t.fake.registry.setFaults[kKnownVxDs] = {ERROR_CANTWRITE, -1};
}
void NoProcessList(World &t) { t.fake.ModuleOf(t.processListModule).name = "OTHER.DLL"; }
void ProcessListRefuses(World &) { companions.processListAnswer = FALSE; }
void NoWowBoot(World &t) { t.fake.registry.createFaults[kWowBoot] = kDenied; }
void NoWowBootFor16Bit(World &t) { NoWowBoot(t), t.agent.optionFlags |= PLV_OPT_16BIT_METERING; }
void NoSemaphore(World &t) { t.fake.semaphores.createFaults[kTimerSemaphore] = kDenied; }
void SemaphoreGone(World &t) {
    t.fake.semaphores.createFaults[kTimerSemaphore] = {ERROR_ALREADY_EXISTS, -1};
}

constexpr DWORD k95 = VER_PLATFORM_WIN32_WINDOWS, kNT = VER_PLATFORM_WIN32_NT;
constexpr char kNoVxD[] = "Can't load VxD -- no DOS metering";
constexpr char kBadKernel[] = INIT_FAILURE("KERNEL32.DLL");
constexpr char kBadList[] = INIT_FAILURE("PLVNTPRL.DLL");

struct FailureRow {
    void (*breakIt)(World &);
    DWORD platformId;
    int32_t result;
    const char *event;      // null: none
    const char *traceLine;  // null: none of start-up's own trace lines
    bool semaphoreTried;
    const char *missingEntry = "";  // taken from KERNEL32 and PLVNTPRL.DLL
};

void PrintTo(const FailureRow &row, std::ostream *out) {
    *out << row.platformId << ": " << (row.event ? row.event : "no event") << row.missingEntry;
}

class FailureRowTest : public MeteringStartupTest,
                       public ::testing::WithParamInterface<FailureRow> {};

TEST_P(FailureRowTest, LogsItsEventAndGivesItsResult) {
    const FailureRow &row = GetParam();
    StartOn(row.platformId, row.missingEntry);
    World world{fake, agent, processListModule};
    row.breakIt(world);

    EXPECT_EQ(InitializeMetering(), row.result);
    EXPECT_EQ(PendingSummaries(runtime),
              row.event ? std::vector<std::string>{row.event} : std::vector<std::string>{});
    std::vector<std::string> traces;  // without their time stamps
    for (const std::string &line : fake.ListBoxLines()) traces.push_back(line.substr(9));
    for (const std::string line : {"PLVDOS.VXD Version 2.8", "Can't load VxD -- no DOS metering",
                                   "Can't update NT Registry"}) {
        EXPECT_EQ(std::ranges::count(traces, line), row.traceLine && line == row.traceLine) << line;
    }
    // A failed platform start-up does not reach the semaphore.
    EXPECT_NE(::testing::Value(fake.semaphores.journal, Each(Not(HasSubstr(kTimerSemaphore)))),
              row.semaphoreTried);
    EXPECT_EQ(metering.timerSemaphore != nullptr, row.result == 1);
    // NT starts the process list unless its module is missing or incomplete.
    EXPECT_EQ(companions.processListDirectories.size(),
              row.platformId == kNT && std::string_view(row.event ? row.event : "") != kBadList);
    // A traced agent stays visible: it never registers as a service process.
    EXPECT_TRUE(!(agent.optionFlags & PLV_OPT_TRACE) || companions.serviceRegistrations.empty());
}

INSTANTIATE_TEST_SUITE_P(
    StartupTable, FailureRowTest,
    ::testing::Values(
        FailureRow{NoKernel, k95, 0, kBadKernel, nullptr, false},
        FailureRow{ServiceRefused, k95, 1, INIT_FAILURE("Reg. Service"), nullptr, true},
        FailureRow{NoDriver, k95, 1, INIT_FAILURE("PLVDOS.VXD"), kNoVxD, true},
        FailureRow{DriverRefuses, k95, 1, INIT_FAILURE("PLVDOS.VXD"), kNoVxD, true},
        FailureRow{NoKnownVxDs, k95, 1, INIT_FAILURE("PLVDOS.VXD"), kNoVxD, true},
        FailureRow{KnownVxDsUnwritable, k95, 1, INIT_FAILURE("PLVDOS.VXD"), kNoVxD, true},
        FailureRow{NoProcessList, kNT, 0, kBadList, nullptr, false},
        FailureRow{ProcessListRefuses, kNT, 0, INIT_FAILURE("PLVNTR32.DLL"), nullptr, false},
        FailureRow{NoWowBootFor16Bit, kNT, 1, "Registry Update Failed|Pelvantine|PLVNTS16.DLL",
                   "Can't update NT Registry", true},
        FailureRow{NoWowBoot, kNT, 1, nullptr, nullptr, true},
        FailureRow{NoSemaphore, kNT, 0, INIT_FAILURE("Tm Semaphore"), nullptr, true},
        FailureRow{SemaphoreGone, k95, 0, INIT_FAILURE("Tm Semaphore"), "PLVDOS.VXD Version 2.8",
                   true},
        // Every entry point is needed.
        FailureRow{Intact, k95, 0, kBadKernel, nullptr, false, "CreateToolhelp32Snapshot"},
        FailureRow{Intact, k95, 0, kBadKernel, nullptr, false, "Process32First"},
        FailureRow{Intact, k95, 0, kBadKernel, nullptr, false, "Process32Next"},
        FailureRow{Intact, k95, 0, kBadKernel, nullptr, false, "RegisterServiceProcess"},
        FailureRow{Intact, kNT, 0, kBadList, nullptr, false, "InitNTProcessList"},
        FailureRow{Intact, kNT, 0, kBadList, nullptr, false, "ResetNTProcessList"},
        FailureRow{Intact, kNT, 0, kBadList, nullptr, false, "GetNextProcessID"},
        FailureRow{Intact, kNT, 0, kBadList, nullptr, false, "GetProcessExePath"},
        FailureRow{Intact, kNT, 0, kBadList, nullptr, false, "FreeNTProcessList"}));

// The stored KnownVxDs value (null: neither value nor key) and whether
// start-up must write it: it is compared exactly.
class Windows95Start : public MeteringStartupTest,
                       public ::testing::WithParamInterface<std::pair<const char *, bool>> {};

TEST_P(Windows95Start, BindsKernelRegistersEntersAndStartsTheDriver) {
    const auto [stored, written] = GetParam();
    agent.optionFlags = 0;
    fake.processId = 0x4D2;
    StartOn(k95);
    if (stored != nullptr) fake.SetRegistryString(kKnownVxDs, "PLVDOS", stored);
    ASSERT_EQ(InitializeMetering(), 1);

    EXPECT_THAT(companions.serviceRegistrations, ElementsAre(std::pair<DWORD, DWORD>{0x4D2, 1}));
    const auto &registry = fake.registry.journal;
    EXPECT_EQ(std::ranges::count(registry, std::string("set ") + kKnownVxDs + "\\PLVDOS"),
              written ? 1 : 0);
    // A missing key is created once opening it has failed.
    EXPECT_EQ(std::ranges::count(registry, std::string("create ") + kKnownVxDs),
              stored == nullptr ? 1 : 0);
    EXPECT_EQ(RegistryText(kKnownVxDs, "PLVDOS"), std::string("C:\\PLV\\PLVDOS.VXD", 18));
    EXPECT_EQ(fake.FindRegistryValue(kKnownVxDs, "PLVDOS")->type, REG_SZ);
    // Control codes 2 then 1, each with the host window as four bytes.
    const std::string window("\xA0\x02\x00\x00", 4);
    EXPECT_THAT(fake.devices[kDevice].controls,
                ElementsAre(std::pair<DWORD, std::string>{2, window},
                            std::pair<DWORD, std::string>{1, window}));
    EXPECT_NE(metering.driver, nullptr);
    EXPECT_EQ(metering.registerServiceProcess, &RegisterServiceProcess);
    EXPECT_EQ(metering.createToolhelp32Snapshot, &CreateToolhelp32Snapshot);
    EXPECT_EQ(metering.process32Next, &Process32Step);
    EXPECT_THAT(fake.semaphores.journal, ElementsAre("create PLVTimerSemaphore"));
    EXPECT_NE(metering.timerSemaphore, nullptr);
    EXPECT_THAT(PendingSummaries(runtime), IsEmpty());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(StoredValues, Windows95Start,
                         ::testing::Values(std::pair{"C:\\PLV\\PLVDOS.VXD", false},
                                           std::pair{"c:\\plv\\plvdos.vxd", true},
                                           std::pair{nullptr, true}));

TEST_F(MeteringStartupTest, UnknownPlatformOnlyCreatesTheTimerSemaphore) {
    StartOn(0);
    EXPECT_EQ(InitializeMetering(), 1);
    EXPECT_EQ(fake.ModuleOf(processListModule).loads, 0);
    EXPECT_THAT(fake.registry.journal, IsEmpty());
    EXPECT_THAT(fake.semaphores.journal, ElementsAre("create PLVTimerSemaphore"));
    // Created free, or no agent's cycle would ever take it.
    EXPECT_EQ(fake.WaitForSingleObject(metering.timerSemaphore, 0), WAIT_OBJECT_0);
}

TEST_F(MeteringStartupTest, TimerSemaphoreThatAlreadyExistsIsOpened) {
    FakePlatform otherAgent;
    otherAgent.machine = fake.machine;
    ASSERT_NE(otherAgent.CreateSemaphoreA(nullptr, 1, 1, kTimerSemaphore), nullptr);
    StartOn(0);
    fake.semaphores.createFaults[kTimerSemaphore] = {ERROR_ALREADY_EXISTS, 1};
    EXPECT_EQ(InitializeMetering(), 1);
    EXPECT_THAT(fake.semaphores.journal,
                ElementsAre("create-failed PLVTimerSemaphore", "open PLVTimerSemaphore"));
    // The handle opened is the shared one: taking it here blocks the other agent.
    ASSERT_EQ(fake.WaitForSingleObject(metering.timerSemaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(otherAgent.WaitForSingleObject(
                  otherAgent.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kTimerSemaphore), 0),
              WAIT_TIMEOUT);
    EXPECT_THAT(PendingSummaries(runtime), IsEmpty());
}

}  // namespace
}  // namespace plv::testing
