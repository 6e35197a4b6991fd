#include "agent_run.h"

#include <utility>

#include "agent_upkeep.h"
#include "plvlib32.h"
#include "seam_files.h"

namespace plvagent {
namespace {

constexpr char kWindowTitle[] = "Pelvantine Agent";
// The host's own timer on its window, beside the library's: it does the
// host's upkeep between cycles and counts the cycles for --cycles. It was
// set after the library's and has the same period, so it runs just after
// the library's timer cycle.
constexpr UINT_PTR kHostTimer = 1;
constexpr UINT kCyclePeriod = 1000;

class AgentHost {
  public:
    AgentHost(const AgentConfiguration &configuration, HostRecords &records,
              const RunOptions &options)
        : configuration_(configuration),
          records_(records),
          options_(options),
          upkeep_(configuration, options.configurationFile, records, options.spoolFile) {}

    int Run();

  private:
    bool AcquireTimeSources();
    bool PrepareOwnDirectories();
    bool StartMetering();
    std::string MeteringFailure(std::size_t eventsBefore) const;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Shutdown();

    const AgentConfiguration &configuration_;
    HostRecords &records_;
    const RunOptions &options_;
    AgentUpkeep upkeep_;
    HWND window_ = nullptr;
    PLVHWND *activeWindowCell_ = nullptr;
    HMODULE networkModule_ = nullptr;
    std::uint32_t cyclesDone_ = 0;
};

std::size_t CountEvents(void *head) {
    std::size_t count = 0;
    for (auto *node = static_cast<PLVUsageEventNode *>(head); node != nullptr;
         node = static_cast<PLVUsageEventNode *>(node->next))
        ++count;
    return count;
}

// The clock file and the network module come first: a start that cannot
// have them stops before the library has started anything.
bool AgentHost::AcquireTimeSources() {
    if ((configuration_.optionFlags & PLV_OPT_CLOCK_FILE) != 0) {
        records_.agent().clockFile = OpenClockFile(configuration_.clockFile.c_str());
        if (records_.agent().clockFile == nullptr) {
            Say("the clock file " + configuration_.clockFile + " cannot be opened: " +
                ErrorText(Os().GetLastError()));
            return false;
        }
    }
    if (!configuration_.networkModule.empty()) {
        networkModule_ = Os().LoadLibraryA(configuration_.networkModule.c_str());
        if (networkModule_ == nullptr) {
            Say("the network module " + configuration_.networkModule + " cannot be loaded: " +
                ErrorText(Os().GetLastError()));
            return false;
        }
        records_.runtime().networkModule = networkModule_;
    }
    return true;
}

// The failure InitializeMetering recorded, from the events it added.
std::string AgentHost::MeteringFailure(std::size_t eventsBefore) const {
    std::string failure = "no reason was recorded";
    std::size_t index = 0;
    for (auto *node = static_cast<PLVUsageEventNode *>(records_.runtime().pendingEvents); node != nullptr;
         node = static_cast<PLVUsageEventNode *>(node->next), ++index) {
        if (index < eventsBefore) continue;
        const std::string component = node->event.identifier;
        failure = std::string(node->event.eventText) + ", " + component;
        if (component.size() > 4 && component.compare(component.size() - 4, 4, ".DLL") == 0)
            failure += " (its module file " + host::ModuleFileOf(component) + " is missing or incomplete)";
    }
    return failure;
}

// A directory the platform refuses for its own files would fail the timer
// semaphore, or quietly every registry value: the agent does not start, and
// says so where start-up failures go.
bool AgentHost::PrepareOwnDirectories() {
    const std::pair<const char *, std::string> refused[] = {
        {"Tm Semaphore", host::PrepareRuntimeDirectory()},
        {"Registry", host::PrepareDataDirectory()},
    };
    bool prepared = true;
    for (const auto &[component, why] : refused) {
        if (why.empty()) continue;
        Say(std::string("metering could not start: Initialization Failure, ") + component + " (" +
            why + ")");
        PLVAddEvent("Initialization Failure", "Pelvantine", component);
        prepared = false;
    }
    if (!prepared) PLVUpdateLogs();
    return prepared;
}

bool AgentHost::StartMetering() {
    PLVAgentState &agent = records_.agent();
    InitializePLVLIB(window_, &agent, host::Banner().c_str(), &activeWindowCell_);
    // The SMS settings and the refresh action, as the settings file has them.
    GetNewPLVINISettings();
    upkeep_.PutBackSpooledEvents();
    if (networkModule_ != nullptr && !InitializeNetworkAPI(configuration_.networkKind))
        Say("the network time service of " + configuration_.networkModule +
            " could not be bound; the workstation clock is used");

    if (!PrepareOwnDirectories()) return false;
    const std::size_t eventsBefore = CountEvents(records_.runtime().pendingEvents);
    if (!InitializeMetering()) {
        Say("metering could not start: " + MeteringFailure(eventsBefore));
        // The failure belongs in the shared log, where the administrator looks.
        PLVUpdateLogs();
        return false;
    }
    if (!StartTimer()) {
        Say("the library's timer could not be started");
        return false;
    }
    if (Os().SetTimer(window_, kHostTimer, kCyclePeriod, nullptr) == 0) {
        Say("the host's timer could not be started");
        return false;
    }
    return true;
}

LRESULT AgentHost::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case PLV_MSG_NETWORK_FAILURE:
        upkeep_.NoteNetworkFailure();
        return 0;
    case WM_CLOSE:
        // During a cycle the library posts WM_CLOSE again once the cycle ends.
        if (!DeferShutdown(1)) host::QuitMessageLoop();
        return 0;
    case WM_TIMER:
        if (wParam != kHostTimer) return 0;
        upkeep_.AfterCycle();
        if (options_.cycles && ++cyclesDone_ >= *options_.cycles) {
            Os().KillTimer(window_, kHostTimer);
            Os().PostMessageA(window_, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

// The stop calls in the host contract's order, then what the host holds.
// Applications still metered get no "Terminated" event; events not yet
// written go to the spool; the library's own lists are released once it
// has stopped.
void AgentHost::Shutdown() {
    DLLShutdown();
    ShutdownVXD();
    UnregisterService();
    if (networkModule_ != nullptr) TerminateNetworkAPI();
    if (records_.agent().clockFile != nullptr) Os().CloseHandle(records_.agent().clockFile);
    upkeep_.AtStop();
    PLVAgentRuntime &runtime = records_.runtime();
    RemoveLinkedList(&runtime.pendingEvents);
    RemoveLinkedList(&runtime.pendingDefinitions);
    RemoveLinkedList(&runtime.meteredApps);
    host::DestroyAgentWindow(window_);
}

int AgentHost::Run() {
    host::CatchStopRequests();
    host::CatchReloadRequests();
    // Windows has no window to give where there is no desktop (a service
    // without one, for instance).
    window_ = host::CreateAgentWindow(kWindowTitle, options_.trace);
    if (window_ == nullptr) {
        Say("the agent's window cannot be created: " + ErrorText(Os().GetLastError()));
        return kNotStarted;
    }
    host::SetMessageHandler(window_, [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return OnMessage(message, wParam, lParam);
    });
    if (!AcquireTimeSources()) {
        if (records_.agent().clockFile != nullptr) Os().CloseHandle(records_.agent().clockFile);
        host::DestroyAgentWindow(window_);
        return kNotStarted;
    }
    if (!StartMetering()) {
        Shutdown();
        return kNotStarted;
    }
    host::RunMessageLoop(window_);
    Shutdown();
    return kStopped;
}

}  // namespace

int RunAgent(const AgentConfiguration &configuration, HostRecords &records, const RunOptions &options) {
    AgentHost host(configuration, records, options);
    return host.Run();
}

}  // namespace plvagent
