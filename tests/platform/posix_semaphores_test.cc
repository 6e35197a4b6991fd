// Named semaphores on the real kernel: waiting with a time-out, names that
// are no file names, access rights, and a holder killed while others wait.
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/contract_peer.h"
#include "platform/posix/posix_platform.h"
#include "support/helper_process.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using plv::testing::HelperProcess;
using plv::testing::HelperRole;
using plv::testing::TemporaryDirectory;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// "holder <runtime directory>": takes and releases semaphores on command.
int HolderMain(const std::vector<std::string> &arguments) {
    SetRuntimeDirectory(arguments.at(0));
    PosixPlatform os;
    return plv::testing::AnswerPeerCommands(os);
}
const HelperRole holderRole("holder", &HolderMain);

class Semaphores : public ::testing::Test {
  protected:
    Semaphores() { SetRuntimeDirectory(runtime.path()); }
    TemporaryDirectory runtime;
    PosixPlatform os;
};

TEST_F(Semaphores, AHolderKilledWhileOthersWaitLetsThemIn) {
    HelperProcess holder("holder", {runtime.path()});
    ASSERT_EQ(holder.Ask("take PLVTimerSemaphore"), "taken");
    HANDLE timer = os.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "PLVTimerSemaphore");
    ASSERT_NE(timer, nullptr);
    std::thread killer([&] {
        std::this_thread::sleep_for(milliseconds(100));
        holder.Kill();
    });
    EXPECT_EQ(os.WaitForSingleObject(timer, INFINITE), WAIT_OBJECT_0);
    killer.join();
    os.CloseHandle(timer);
}

// Each name has a file of its own in the runtime directory, which every
// agent of the machine finds by the same spelling.
TEST_F(Semaphores, NamesAreCaseSensitiveAndNeedNotBeFileNames) {
    const std::pair<const char *, const char *> names[] = {
        {"PLVTimerSemaphore", "PLVTimerSemaphore.sem"},
        {"plvtimersemaphore", "plvtimersemaphore.sem"},
        {"Global\\PLV/Timer Semaphore", "Global%5CPLV%2FTimer%20Semaphore.sem"},
        {"AZaz09._-~", "AZaz09._-%7E.sem"},
    };
    for (const auto &[name, file] : names) {
        HANDLE semaphore = os.CreateSemaphoreA(nullptr, 1, 1, name);
        ASSERT_NE(semaphore, nullptr) << name;
        EXPECT_EQ(os.GetLastError(), ERROR_SUCCESS) << name;
        EXPECT_EQ(os.WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0) << name;
        HANDLE opened = os.OpenSemaphoreA(SYNCHRONIZE, FALSE, name);
        ASSERT_NE(opened, nullptr) << name;
        EXPECT_EQ(::access((runtime / file).c_str(), F_OK), 0) << file;
        os.CloseHandle(opened);
        os.CloseHandle(semaphore);
    }
}

TEST_F(Semaphores, AHandleOnlyDoesWhatItWasOpenedFor) {
    HANDLE created = os.CreateSemaphoreA(nullptr, 1, 1, "PLVTimerSemaphore");
    HANDLE waitOnly = os.OpenSemaphoreA(SYNCHRONIZE, FALSE, "PLVTimerSemaphore");
    HANDLE releaseOnly = os.OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, "PLVTimerSemaphore");
    EXPECT_EQ(ErrorIf(os, [&] { return os.WaitForSingleObject(releaseOnly, 0) == WAIT_FAILED; }), ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.WaitForSingleObject(waitOnly, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ErrorIf(os, [&] { return !os.ReleaseSemaphore(waitOnly, 1, nullptr); }), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(os.ReleaseSemaphore(releaseOnly, 1, nullptr));
    for (HANDLE handle : {created, waitOnly, releaseOnly}) os.CloseHandle(handle);
}

}  // namespace
}  // namespace plv::posix
