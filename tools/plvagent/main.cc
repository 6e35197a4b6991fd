// plvagent: the host program of the metering agent. It owns the agent's
// records and its window, and drives the library through its exports.
#include <cstdio>
#include <string>

#include "platform/posix/posix_platform.h"
#include "plvlib32.h"

namespace {

constexpr char kHostBanner[] = "Pelvantine Workstation Agent host for Linux";

}  // namespace

int main() {
    // The trace display's list box: every line it receives is shown here.
    HWND window = plv::posix::CreateHostWindow(
        "Pelvantine Agent", PLV_TRACE_LISTBOX_ID,
        [](const std::string &line) { std::printf("%s\n", line.c_str()); });

    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    agent.runtime = &runtime;
    agent.agentDirectory = ".";
    agent.optionFlags = PLV_OPT_TRACE;

    PLVHWND *activeWindow = nullptr;
    InitializePLVLIB(window, &agent, kHostBanner, &activeWindow);

    // What the library logged (start-up failures) was never written: the
    // host releases the list it owns.
    DLLShutdown();
    RemoveLinkedList(&runtime.pendingEvents);
    plv::posix::DestroyHostWindow(window);
    return 0;
}
