// The host's system calls on Linux, over the host side of libplvposix.so:
// its windows, its message loop and its drive mappings.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>
#include <thread>

#include "build_identity.h"
#include "host_system.h"
#include "platform/posix/posix_platform.h"
#include "plvlib32.h"

namespace plvagent::host {
namespace {

sigset_t StopRequests() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Takes the stop requests, which every thread holds back, while the message
// loop runs, and posts each as WM_CLOSE: the loop sleeps until its next timer
// or message instead of looking for requests itself.
class StopListener {
  public:
    explicit StopListener(HWND window) : thread_([this, window] { Listen(window); }) {}
    ~StopListener() {
        ending_ = true;
        ::pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }
    StopListener(const StopListener &) = delete;
    StopListener &operator=(const StopListener &) = delete;

  private:
    void Listen(HWND window) {
        const sigset_t signals = StopRequests();
        for (int signal = 0; sigwait(&signals, &signal) == 0 && !ending_;)
            plv::NativePlatform().PostMessageA(window, WM_CLOSE, 0, 0);
    }

    std::atomic<bool> ending_ = false;
    std::thread thread_;
};

}  // namespace

HWND CreateAgentWindow(const std::string &title, TraceSink sink) {
    return plv::posix::CreateHostWindow(title, PLV_TRACE_LISTBOX_ID, std::move(sink));
}

void DestroyAgentWindow(HWND window) { plv::posix::DestroyHostWindow(window); }

void SetMessageHandler(HWND window, MessageHandler handler) {
    plv::posix::SetWindowProcedure(
        window, [handler = std::move(handler)](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            return handler(message, wParam, lParam);
        });
}

void CatchStopRequests() {
    const sigset_t signals = StopRequests();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void RunMessageLoop(HWND window) {
    const StopListener listener(window);
    plv::posix::RunMessageLoop();
}

void QuitMessageLoop() { plv::posix::QuitMessageLoop(); }

bool MapsPaths() { return true; }

void SetDataDirectory(const std::string &directory) { plv::posix::SetDataDirectory(directory); }

void SetRuntimeDirectory(const std::string &directory) {
    plv::posix::SetRuntimeDirectory(directory);
}

void MapDrive(char letter, const std::string &directory) {
    plv::posix::MapDrive(letter, directory);
}

void MapShare(const std::string &uncRoot, const std::string &directory) {
    plv::posix::MapShare(uncRoot, directory);
}

std::string AgentPathOf(const std::string &path) {
    return !path.empty() && path.front() == '/' ? plv::posix::DosPathOf(path) : path;
}

std::string PrepareRuntimeDirectory() { return plv::posix::PrepareRuntimeDirectory(); }

std::string PrepareDataDirectory() { return plv::posix::PrepareDataDirectory(); }

std::string OthersWhoMayChange(const std::string &agentPath) {
    return plv::posix::OthersWhoMayChange(agentPath);
}

std::string ProgramDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? AbsolutePath(".") : program.parent_path().string();
}

std::string ModuleFileOf(const std::string &moduleName) {
    return plv::posix::SharedObjectNameOf(moduleName);
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::string LoginName() {
    if (const passwd *entry = ::getpwuid(::getuid())) return entry->pw_name;
    return std::to_string(::getuid());
}

std::string Banner() {
    return "Pelvantine Workstation Agent host " + BuildIdentity() + " for Linux";
}

}  // namespace plvagent::host
