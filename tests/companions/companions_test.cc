// The companion modules against the real kernel, loaded as the library
// loads them: by the names of the DLLs they stand for.
#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "core/companions.h"
#include "platform/entry_point.h"
#include "platform/posix/posix_platform.h"
#include "support/child_process.h"
#include "support/eventually.h"
#include "support/helper_process.h"
#include "support/library_test.h"
#include "support/pending_events.h"
#include "support/proc_stat.h"
#include "support/temporary_directory.h"
#include "usage/agent_events.h"

namespace plv::testing {
namespace {

// The five entry points, bound as metering start-up binds them.
struct ProcessList {
    explicit ProcessList(posix::PosixPlatform &os)
        : os(os), module(os.LoadLibraryA("PLVNTPRL.DLL")) {
        init = Bind<InitNTProcessListFn>("InitNTProcessList");
        reset = Bind<ResetNTProcessListFn>("ResetNTProcessList");
        next = Bind<GetNextProcessIDFn>("GetNextProcessID");
        exePath = Bind<GetProcessExePathFn>("GetProcessExePath");
        free = Bind<FreeNTProcessListFn>("FreeNTProcessList");
    }
    ~ProcessList() {
        if (module != nullptr) os.FreeLibrary(module);
    }
    template <typename Entry>
    Entry Bind(const char *name) {
        return module == nullptr ? nullptr : EntryPoint<Entry>(os.GetProcAddress(module, name));
    }
    bool bound() const { return init && reset && next && exePath && free; }

    std::vector<DWORD> Walk() const {
        std::vector<DWORD> ids;
        for (DWORD id = next(); id != 0; id = next()) ids.push_back(id);
        return ids;
    }
    // The program path, or "(none)" when the module cannot give one.
    std::string PathOf(DWORD id, BYTE *flag = nullptr) const {
        char path[285];
        std::memset(path, 'x', sizeof path);
        BYTE ignored = 0;
        return exePath(id, path, flag != nullptr ? flag : &ignored) ? std::string(path) : "(none)";
    }

    posix::PosixPlatform &os;
    HMODULE module;
    InitNTProcessListFn init = nullptr;
    ResetNTProcessListFn reset = nullptr;
    GetNextProcessIDFn next = nullptr;
    GetProcessExePathFn exePath = nullptr;
    FreeNTProcessListFn free = nullptr;
};

bool Contains(const std::vector<DWORD> &ids, pid_t id) {
    return std::find(ids.begin(), ids.end(), static_cast<DWORD>(id)) != ids.end();
}

// Waits until the process runs the program (its exe link names it).
bool RunsProgram(pid_t pid, const std::filesystem::path &program) {
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    return Eventually([&] { return std::filesystem::read_symlink(link) == program; });
}

// A kernel thread that this machine shows (none inside a PID namespace).
DWORD SomeKernelThread() {
    constexpr unsigned long kKernelThread = 0x00200000;  // PF_KTHREAD
    std::unique_ptr<DIR, int (*)(DIR *)> proc(::opendir("/proc"), ::closedir);
    while (const dirent *entry = ::readdir(proc.get())) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        if (StatOf(entry->d_name).flags & kKernelThread)
            return static_cast<DWORD>(std::stoul(entry->d_name));
    }
    return 0;
}

class ProcessListModule : public ::testing::Test {
  protected:
    ProcessListModule() {
        posix::MapDrive('T', volume.path());
        std::filesystem::create_directory(volume / "Tools");
        std::filesystem::copy_file("/usr/bin/sleep", volume / "Tools/sleep");
    }
    ~ProcessListModule() override {
        if (list.bound()) list.free();
    }

    posix::PosixPlatform os;
    ProcessList list{os};
    TemporaryDirectory volume;
};

// Zombies and kernel threads are listed too, without a program.
TEST_F(ProcessListModule, AResetListsTheRunningProcessesOnce) {
    ASSERT_TRUE(list.bound());
    ASSERT_TRUE(list.init("C:\\PLV"));
    ChildProcess child({"/usr/bin/sleep", "30"});
    ASSERT_TRUE(child.started());
    const pid_t zombie = ::fork();
    ASSERT_GE(zombie, 0);
    if (zombie == 0) ::_exit(0);
    EXPECT_TRUE(Eventually([&] { return StatOf(std::to_string(zombie)).state == 'Z'; }));
    const DWORD thread = SomeKernelThread();  // none inside a PID namespace
    ASSERT_TRUE(list.reset());
    const std::vector<DWORD> ids = list.Walk();
    EXPECT_TRUE(Contains(ids, zombie));
    EXPECT_EQ(list.PathOf(static_cast<DWORD>(zombie)), "(none)");
    ::waitpid(zombie, nullptr, 0);
    if (thread != 0) {
        EXPECT_TRUE(Contains(ids, static_cast<pid_t>(thread)));
        EXPECT_EQ(list.PathOf(thread), "(none)");
    }
    EXPECT_TRUE(Contains(ids, ::getpid()));
    EXPECT_TRUE(Contains(ids, child.pid()));
    EXPECT_TRUE(Contains(ids, 1));
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<DWORD>(child.pid())), 1);
    EXPECT_EQ(list.next(), 0u);  // the walk stays at its end

    // The list is what the last reset saw: the ended child goes with the next.
    const pid_t ended = child.pid();
    child.Kill();
    ASSERT_TRUE(list.reset());
    EXPECT_FALSE(Contains(list.Walk(), ended));
    EXPECT_TRUE(list.reset());
    EXPECT_TRUE(Contains(list.Walk(), ::getpid()));
}

TEST_F(ProcessListModule, ProgramPathsAreInDosFormAndNoProcessIsAVirtualDosMachine) {
    ASSERT_TRUE(list.bound());
    std::filesystem::copy_file("/usr/bin/sleep", volume / "Tools/gone");
    ChildProcess system({"/usr/bin/sleep", "30"}), mapped({volume / "Tools/sleep", "30"}),
        removed({volume / "Tools/gone", "30"});
    ASSERT_TRUE(system.started() && mapped.started() && removed.started());
    BYTE flag = 7;
    EXPECT_EQ(list.PathOf(static_cast<DWORD>(system.pid()), &flag), "Z:\\usr\\bin\\sleep");
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(list.PathOf(static_cast<DWORD>(mapped.pid())), "T:\\Tools\\sleep");
    // A program removed once its process runs it keeps its path.
    ASSERT_TRUE(RunsProgram(removed.pid(), volume / "Tools/gone"));
    std::filesystem::remove(volume / "Tools/gone");
    EXPECT_EQ(list.PathOf(static_cast<DWORD>(removed.pid())), "T:\\Tools\\gone");
}

TEST_F(ProcessListModule, APathTooLongForTheBufferIsNoPath) {
    ASSERT_TRUE(list.bound());
    // Directories that bring the DOS path to exactly 284 characters, then 285.
    const std::string deep = volume / std::string(120, 'd') + "/" + std::string(120, 'e');
    std::filesystem::create_directories(deep);
    const std::size_t prefix = posix::DosPathOf(deep + "/").size();
    ASSERT_LT(prefix, 284u);
    for (const std::size_t length : {std::size_t{284}, std::size_t{285}}) {
        const std::string program = deep + "/" + std::string(length - prefix, 's');
        std::filesystem::copy_file("/usr/bin/sleep", program);
        ChildProcess child({program, "30"});
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(RunsProgram(child.pid(), program));
        EXPECT_EQ(list.PathOf(static_cast<DWORD>(child.pid())),
                  length == 284 ? posix::DosPathOf(program) : "(none)");
    }
}

// Gives up root for the "nobody" user, then answers each process id it is
// sent with the program path the module gives for it.
int PathAsNobody(const std::vector<std::string> &) {
    posix::PosixPlatform os;
    ProcessList list(os);  // loaded while the build directory is still readable
    constexpr gid_t kNobody = 65534;
    if (!list.bound() || ::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
        ::setuid(kNobody) != 0)
        return 2;
    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        std::printf("%s\n",
                    list.PathOf(static_cast<DWORD>(std::strtoul(line, nullptr, 10))).c_str());
        std::fflush(stdout);
    }
    return 0;
}
HelperRole pathAsNobody("path-as-nobody", &PathAsNobody);

TEST_F(ProcessListModule, AnotherUsersProgramIsNotNamed) {
    ASSERT_TRUE(list.bound());
    if (::geteuid() != 0) {
        struct stat status;
        ASSERT_EQ(::stat("/proc/1", &status), 0);
        if (status.st_uid == ::geteuid()) GTEST_SKIP() << "every process here is this user's";
        EXPECT_EQ(list.PathOf(1), "(none)");
        return;
    }
    HelperProcess helper("path-as-nobody", {});
    EXPECT_EQ(helper.Ask(std::to_string(::getpid())), "(none)");
}

// The daily companion: its one entry called with the agent-state block on
// the first cycle of a day.

class DailyCompanion : public LibraryTest {
  protected:
    DailyCompanion() : module(os.LoadLibraryA("PLVWSI32.DLL")) {
        if (module != nullptr) entry = os.GetProcAddress(module, "DoLastLogin");
    }
    ~DailyCompanion() override {
        if (module != nullptr) os.FreeLibrary(module);
    }

    posix::PosixPlatform os;
    HMODULE module;
    FARPROC entry = nullptr;
};

TEST_F(DailyCompanion, LetsTheDayGoOnAndTheFirstCycleOfEachDayLogsContinued) {
    ASSERT_NE(module, nullptr) << os.GetLastError();
    ASSERT_NE(entry, nullptr);
    const auto doLastLogin = EntryPoint<DoLastLoginFn>(entry);
    EXPECT_NE(doLastLogin(&agent), 0u);
    EXPECT_EQ(doLastLogin(nullptr), 0u);

    // The library, on a fake machine, finds the real module's entry.
    fake.RegisterModule("PLVWSI32.DLL", {{"DoLastLogin", entry}});
    agent.agentNumber = 12;
    Initialize();
    fake.SetLocalTime(1998, 8, 20, 23, 59, 59);
    for (int day = 21; day <= 22; ++day) {
        ASSERT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);  // the last second of the day before
        fake.AdvanceSeconds(1);
        ASSERT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);  // midnight
        EXPECT_THAT(
            PendingLines(runtime),
            ::testing::Contains("1998/08/" + std::to_string(day) +
                                ";00:00:00;WS-017;JDOE;SALES;;Pelvantine;Continued;PLV.12;;;;;"));
        fake.AdvanceSeconds(86399);
    }
    EXPECT_THAT(PendingLines(runtime),
                ::testing::Contains(::testing::HasSubstr(";Continued;")).Times(2));
}

}  // namespace
}  // namespace plv::testing
