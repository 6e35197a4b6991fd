// The host's system calls on Linux, over the host side of libplvposix.so:
// its windows, its message loop and its drive mappings.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <system_error>

#include "build_identity.h"
#include "host_system.h"
#include "platform/posix/posix_platform.h"
#include "plvlib32.h"

namespace plvagent::host {
namespace {

// A stop request is noted here by the signal handler, which may do nothing
// else safely, and acted upon by the message loop.
volatile std::sig_atomic_t stopRequested = 0;

void NoteStopRequest(int) { stopRequested = 1; }

// How long the loop may wait before it looks for a stop request.
constexpr std::chrono::milliseconds kStopLatency{100};

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
    struct sigaction action {};
    action.sa_handler = &NoteStopRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void RunMessageLoop(HWND window) {
    for (;;) {
        if (stopRequested != 0) {
            stopRequested = 0;
            plv::NativePlatform().PostMessageA(window, WM_CLOSE, 0, 0);
        }
        if (!plv::posix::PumpMessages(std::chrono::steady_clock::now() + kStopLatency)) return;
    }
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
