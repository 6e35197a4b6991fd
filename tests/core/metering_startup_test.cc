#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "monitor/metering_state.h"
#include "support/library_test.h"
#include "support/pending_events.h"

namespace plv::testing {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kKnownVxDs[] = "System\\CurrentControlSet\\Control\\SessionManager\\KnownVxDs";
constexpr char kWowBoot[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot";
constexpr char kDevice[] = "\\\\.\\PLVDOS";
constexpr char kTimerSemaphore[] = "PLVTimerSemaphore";

// What the companion modules were asked, and what they answer.
struct Companions {
    std::vector<std::pair<DWORD, DWORD>> serviceRegistrations;
    DWORD serviceAnswer = 1;
    std::vector<std::string> processListDirectories;
    BOOL processListAnswer = TRUE;
};
Companions companions;

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

std::map<std::string, FARPROC> KernelEntries() {
    return {{"CreateToolhelp32Snapshot", AsEntry(&CreateToolhelp32Snapshot)},
            {"Process32First", AsEntry(&Process32Step)},
            {"Process32Next", AsEntry(&Process32Step)},
            {"RegisterServiceProcess", AsEntry(&RegisterServiceProcess)}};
}

std::map<std::string, FARPROC> ProcessListEntries() {
    return {{"InitNTProcessList", AsEntry(&InitNTProcessList)},
            {"ResetNTProcessList", AsEntry(&ResetNTProcessList)},
            {"GetNextProcessID", AsEntry(&GetNextProcessID)},
            {"GetProcessExePath", AsEntry(&GetProcessExePath)},
            {"FreeNTProcessList", AsEntry(&FreeNTProcessList)}};
}

std::map<std::string, FARPROC> Without(std::map<std::string, FARPROC> entries,
                                       const std::string &name) {
    entries.erase(name);
    return entries;
}

// A machine where start-up succeeds on either platform family; each test
// takes away what it needs missing.
class MeteringStartupTest : public LibraryTest {
  protected:
    MeteringStartupTest() { companions = Companions{}; }

    void StartOn(DWORD platformId, std::map<std::string, FARPROC> kernel = KernelEntries(),
                 std::map<std::string, FARPROC> processList = ProcessListEntries()) {
        fake.version.platformId = platformId;
        fake.RegisterModule("KERNEL32", std::move(kernel));
        fake.systemModules.insert("KERNEL32");
        processListModule = fake.RegisterModule("PLVNTPRL.DLL", std::move(processList));
        fake.devices[kDevice] = FakePlatform::Device{};
        Initialize();
    }

    std::vector<std::string> Events() const { return PendingSummaries(runtime); }

    // The trace lines without their time stamps.
    std::vector<std::string> TraceTexts() const {
        std::vector<std::string> texts;
        for (const std::string &line : fake.ListBoxLines()) texts.push_back(line.substr(9));
        return texts;
    }

    std::string RegistryText(const char *key, const char *name) const {
        const auto *value = fake.FindRegistryValue(key, name);
        return value != nullptr ? value->data : "<none>";
    }

    HMODULE processListModule = nullptr;
};

const std::string kInitFailure = "Initialization Failure|Pelvantine|";

// What a failure row may break.
struct World {
    FakePlatform &fake;
    PLVAgentState &agent;
    HMODULE processListModule;
};

struct FailureRow {
    const char *situation;
    DWORD platformId;
    std::function<void(World &)> breakIt;
    int32_t result;
    std::vector<std::string> events;
    const char *traceLine;  // null: none of start-up's own trace lines
    bool semaphoreTried;
};

void PrintTo(const FailureRow &row, std::ostream *out) { *out << row.situation; }

class FailureRowTest : public MeteringStartupTest,
                       public ::testing::WithParamInterface<FailureRow> {};

TEST_P(FailureRowTest, LogsItsEventAndGivesItsResult) {
    const FailureRow &row = GetParam();
    StartOn(row.platformId);
    World world{fake, agent, processListModule};
    row.breakIt(world);

    EXPECT_EQ(InitializeMetering(), row.result);
    EXPECT_EQ(Events(), row.events);
    for (const std::string line : {"PLVDOS.VXD Version 2.8", "Can't load VxD -- no DOS metering",
                                   "Can't update NT Registry"}) {
        if (row.traceLine != nullptr && line == row.traceLine)
            EXPECT_THAT(TraceTexts(), Contains(line));
        else
            EXPECT_THAT(TraceTexts(), Not(Contains(line)));
    }
    // A failed platform start-up does not reach the semaphore.
    const auto &journal = fake.semaphores.journal;
    EXPECT_EQ(std::any_of(journal.begin(), journal.end(),
                          [](const std::string &entry) { return entry.find("PLVTimerSemaphore") != std::string::npos; }),
              row.semaphoreTried);
    EXPECT_EQ(metering.timerSemaphore != nullptr, row.result == 1);
    // A traced agent stays visible: it never registers as a service process.
    if (agent.optionFlags & PLV_OPT_TRACE) {
        EXPECT_THAT(companions.serviceRegistrations, IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    StartupTable, FailureRowTest,
    ::testing::Values(
        FailureRow{"95 without KERNEL32", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) { t.fake.systemModules.clear(); }, 0,
                   {kInitFailure + "KERNEL32.DLL"}, nullptr, false},
        FailureRow{"95 service registration refused", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) {
                       t.agent.optionFlags = 0;
                       companions.serviceAnswer = 0;
                   },
                   1, {kInitFailure + "Reg. Service"}, nullptr, true},
        FailureRow{"95 driver missing", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) { t.fake.devices[kDevice].present = false; }, 1,
                   {kInitFailure + "PLVDOS.VXD"}, "Can't load VxD -- no DOS metering", true},
        FailureRow{"95 driver refuses to start", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) { t.fake.devices[kDevice].answer = FALSE; }, 1,
                   {kInitFailure + "PLVDOS.VXD"}, "Can't load VxD -- no DOS metering", true},
        FailureRow{"95 KnownVxDs neither opens nor is created", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) {
                       t.fake.registry.openFaults[kKnownVxDs] = {ERROR_ACCESS_DENIED, -1};
                       t.fake.registry.createFaults[kKnownVxDs] = {ERROR_ACCESS_DENIED, -1};
                   },
                   1, {kInitFailure + "PLVDOS.VXD"}, "Can't load VxD -- no DOS metering", true},
        FailureRow{"95 KnownVxDs value cannot be set", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) {
                       t.fake.registry.setFaults[kKnownVxDs] = {ERROR_CANTWRITE, -1};
                   },
                   1, {kInitFailure + "PLVDOS.VXD"}, "Can't load VxD -- no DOS metering", true},
        FailureRow{"NT without PLVNTPRL.DLL", VER_PLATFORM_WIN32_NT,
                   [](World &t) {
                       t.fake.ModuleOf(t.processListModule).name = "OTHER.DLL";
                   },
                   0, {kInitFailure + "PLVNTPRL.DLL"}, nullptr, false},
        FailureRow{"NT process list refuses to start", VER_PLATFORM_WIN32_NT,
                   [](World &) { companions.processListAnswer = FALSE; }, 0,
                   {kInitFailure + "PLVNTR32.DLL"}, nullptr, false},
        FailureRow{"NT WOW boot key unavailable with 16-bit metering", VER_PLATFORM_WIN32_NT,
                   [](World &t) {
                       t.agent.optionFlags |= PLV_OPT_16BIT_METERING;
                       t.fake.registry.createFaults[kWowBoot] = {ERROR_ACCESS_DENIED, -1};
                   },
                   1, {"Registry Update Failed|Pelvantine|PLVNTS16.DLL"},
                   "Can't update NT Registry", true},
        FailureRow{"NT WOW boot key unavailable without 16-bit metering", VER_PLATFORM_WIN32_NT,
                   [](World &t) {
                       t.fake.registry.createFaults[kWowBoot] = {ERROR_ACCESS_DENIED, -1};
                   },
                   1, {}, nullptr, true},
        FailureRow{"NT timer semaphore cannot be created", VER_PLATFORM_WIN32_NT,
                   [](World &t) {
                       t.fake.semaphores.createFaults[kTimerSemaphore] = {ERROR_ACCESS_DENIED, -1};
                   },
                   0, {kInitFailure + "Tm Semaphore"}, nullptr, true},
        FailureRow{"95 timer semaphore said to exist but gone", VER_PLATFORM_WIN32_WINDOWS,
                   [](World &t) {
                       t.fake.semaphores.createFaults[kTimerSemaphore] = {ERROR_ALREADY_EXISTS, -1};
                   },
                   0, {kInitFailure + "Tm Semaphore"}, "PLVDOS.VXD Version 2.8", true}));

struct MissingEntry {
    DWORD platformId;
    const char *name;
    const char *component;
};

void PrintTo(const MissingEntry &entry, std::ostream *out) { *out << entry.name; }

class MissingEntryTest : public MeteringStartupTest,
                         public ::testing::WithParamInterface<MissingEntry> {};

TEST_P(MissingEntryTest, FailsItsModule) {
    const MissingEntry &missing = GetParam();
    StartOn(missing.platformId, Without(KernelEntries(), missing.name),
            Without(ProcessListEntries(), missing.name));
    EXPECT_EQ(InitializeMetering(), 0);
    EXPECT_THAT(Events(), ElementsAre(kInitFailure + missing.component));
    EXPECT_THAT(companions.processListDirectories, IsEmpty());
    EXPECT_THAT(fake.semaphores.journal, Each(Not(HasSubstr("PLVTimerSemaphore"))));
}

INSTANTIATE_TEST_SUITE_P(
    EveryEntryPoint, MissingEntryTest,
    ::testing::Values(
        MissingEntry{VER_PLATFORM_WIN32_WINDOWS, "CreateToolhelp32Snapshot", "KERNEL32.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_WINDOWS, "Process32First", "KERNEL32.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_WINDOWS, "Process32Next", "KERNEL32.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_WINDOWS, "RegisterServiceProcess", "KERNEL32.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_NT, "InitNTProcessList", "PLVNTPRL.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_NT, "ResetNTProcessList", "PLVNTPRL.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_NT, "GetNextProcessID", "PLVNTPRL.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_NT, "GetProcessExePath", "PLVNTPRL.DLL"},
        MissingEntry{VER_PLATFORM_WIN32_NT, "FreeNTProcessList", "PLVNTPRL.DLL"}));

struct StoredDriverPath {
    const char *stored;  // null: neither value nor key
    bool written;
};

void PrintTo(const StoredDriverPath &c, std::ostream *out) {
    *out << (c.stored ? c.stored : "(none)");
}

class KnownVxDsTest : public MeteringStartupTest,
                      public ::testing::WithParamInterface<StoredDriverPath> {};

TEST_P(KnownVxDsTest, ValueIsWrittenOnlyWhenItDiffers) {
    const StoredDriverPath &c = GetParam();
    StartOn(VER_PLATFORM_WIN32_WINDOWS);
    if (c.stored != nullptr) fake.SetRegistryString(kKnownVxDs, "PLVDOS", c.stored);
    EXPECT_EQ(InitializeMetering(), 1);

    const std::string set = std::string("set ") + kKnownVxDs + "\\PLVDOS";
    EXPECT_EQ(std::count(fake.registry.journal.begin(), fake.registry.journal.end(), set),
              c.written ? 1 : 0);
    EXPECT_EQ(RegistryText(kKnownVxDs, "PLVDOS"), std::string("C:\\PLV\\PLVDOS.VXD", 18));
    // A missing key is created once opening it has failed.
    const std::string create = std::string("create ") + kKnownVxDs;
    EXPECT_EQ(std::count(fake.registry.journal.begin(), fake.registry.journal.end(), create),
              c.stored == nullptr ? 1 : 0);
    EXPECT_THAT(Events(), IsEmpty());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, KnownVxDsTest,
    ::testing::Values(StoredDriverPath{"C:\\PLV\\PLVDOS.VXD", false},
                      StoredDriverPath{"c:\\plv\\plvdos.vxd", true},  // compared exactly
                      StoredDriverPath{nullptr, true}));

TEST_F(MeteringStartupTest, Windows95StartBindsKernelRegistersAndStartsTheDriver) {
    agent.optionFlags = 0;
    fake.processId = 0x4D2;
    StartOn(VER_PLATFORM_WIN32_WINDOWS);
    ASSERT_EQ(InitializeMetering(), 1);

    EXPECT_THAT(companions.serviceRegistrations, ElementsAre(std::pair<DWORD, DWORD>{0x4D2, 1}));
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
    EXPECT_THAT(Events(), IsEmpty());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

TEST_F(MeteringStartupTest, NTStartBindsTheProcessListAndAddsThe16BitDriver) {
    StartOn(VER_PLATFORM_WIN32_NT);
    fake.SetRegistryString(kWowBoot, "drivers", "VDMREDIR.DLL,D:\\Old\\PLVNTS16.DLL");
    ASSERT_EQ(InitializeMetering(), 1);

    EXPECT_THAT(companions.processListDirectories, ElementsAre("C:\\PLV"));
    EXPECT_EQ(metering.initNTProcessList, &InitNTProcessList);
    EXPECT_EQ(metering.freeNTProcessList, &FreeNTProcessList);
    EXPECT_EQ(metering.getProcessExePath, &GetProcessExePath);
    EXPECT_EQ(RegistryText(kWowBoot, "drivers"),
              std::string("vdmredir.dll,c:\\plv\\plvnts16.dll", 33));
    EXPECT_EQ(metering.driver, nullptr);
    EXPECT_THAT(Events(), IsEmpty());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

TEST_F(MeteringStartupTest, UnknownPlatformOnlyCreatesTheTimerSemaphore) {
    StartOn(0);
    EXPECT_EQ(InitializeMetering(), 1);
    EXPECT_EQ(fake.ModuleOf(processListModule).loads, 0);
    EXPECT_THAT(fake.registry.journal, IsEmpty());
    EXPECT_THAT(fake.semaphores.journal, ElementsAre("create PLVTimerSemaphore"));
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
    EXPECT_THAT(Events(), IsEmpty());
}

}  // namespace
}  // namespace plv::testing
