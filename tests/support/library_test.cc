#include "support/library_test.h"

#include <cstring>

#include "entry/library_entry.h"
#include "support/fake_companions.h"

namespace plv::testing {

LibraryTest::LibraryTest() {
    ResetLibraryState();
    previous_ = SetPlatform(&fake);
    // An NT machine where the agent's 16-bit tracker is installed.
    InstallSixteenBitTracker(fake);
    agent.runtime = &runtime;
    agent.agentDirectory = "C:\\PLV";
    agent.updateInterval = 15;
    agent.updateCountdown = 900;
    agent.closeRetryCount = 2;
    agent.optionFlags = PLV_OPT_TRACE;
    std::strcpy(agent.logHeaderText, "Pelvantine usage log");
    std::strcpy(runtime.workstationName, "WS-017");
    std::strcpy(runtime.userName, "JDOE");
    std::strcpy(runtime.userContext, "SALES");
    std::strcpy(runtime.homePath, "F:\\PLV");
    std::strcpy(runtime.settingsFilePath, "F:\\PLV\\SYSTEM\\PLV.INI");
    runtime.networkKind = 1;
    for (const char *directory : {"C:", "C:\\PLV", "F:", "F:\\PLV", "F:\\PLV\\LOGS", "F:\\PLV\\SYSTEM"})
        fake.files.directories.insert(directory);
}

LibraryTest::~LibraryTest() {
    ResetLibraryState();
    SetPlatform(previous_);
}

void LibraryTest::Initialize(const char *banner) {
    InitializePLVLIB(fake.host.handle, &agent, banner, &activeWindowCell);
}

}  // namespace plv::testing
