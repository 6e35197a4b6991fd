// The host's system calls on Windows: a real window whose list box 101
// receives the trace, the thread's message loop, console stop requests.
// Windows' drives and shares are its own, so nothing is mapped.
#include <windows.h>

#include <atomic>
#include <filesystem>

#include "build_identity.h"
#include "host_system.h"
#include "platform/win32/win32_platform.h"
#include "plvlib32.h"

namespace plvagent::host {
namespace {

// What the agent's window and its list box forward, and the procedures
// they had before.
struct AgentWindow {
    TraceSink sink;
    MessageHandler handler;
    WNDPROC windowProcedure = nullptr;
    WNDPROC listBoxProcedure = nullptr;
};

AgentWindow *WindowData(HWND window) {
    return reinterpret_cast<AgentWindow *>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The window the message loop serves; a console stop request closes it.
// The request is noted first and the window read second, and the loop does
// the reverse, so a request made while the loop starts is never lost.
std::atomic<HWND> loopWindow{nullptr};
std::atomic<bool> stopRequested{false};

BOOL WINAPI OnConsoleControl(DWORD) {
    stopRequested = true;
    if (HWND window = loopWindow.load()) ::PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// The host handles closing, its own timer and the library's notifications;
// everything else is the window class's.
bool IsHostMessage(UINT message) {
    return message == WM_CLOSE || message == WM_TIMER || message >= WM_USER;
}

LRESULT CALLBACK AgentWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AgentWindow *data = WindowData(window);
    if (data->handler && IsHostMessage(message)) return data->handler(message, wParam, lParam);
    return ::CallWindowProcA(data->windowProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK TraceListProcedure(HWND listBox, UINT message, WPARAM wParam, LPARAM lParam) {
    AgentWindow *data = WindowData(::GetParent(listBox));
    if (message == LB_ADDSTRING && data->sink && lParam != 0)
        data->sink(reinterpret_cast<const char *>(lParam));
    return ::CallWindowProcA(data->listBoxProcedure, listBox, message, wParam, lParam);
}

}  // namespace

HWND CreateAgentWindow(const std::string &title, TraceSink sink) {
    HWND window = plv::win32::CreateHostWindow(title, PLV_TRACE_LISTBOX_ID);
    if (window == nullptr) return nullptr;
    auto *data = new AgentWindow{std::move(sink), {}, nullptr, nullptr};
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    data->windowProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AgentWindowProcedure)));
    data->listBoxProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(::GetDlgItem(window, PLV_TRACE_LISTBOX_ID), GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(&TraceListProcedure)));
    return window;
}

void DestroyAgentWindow(HWND window) {
    if (window == nullptr) return;
    AgentWindow *data = WindowData(window);
    plv::win32::DestroyHostWindow(window);
    delete data;
}

void SetMessageHandler(HWND window, MessageHandler handler) {
    WindowData(window)->handler = std::move(handler);
}

void CatchStopRequests() { ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE); }

void RunMessageLoop(HWND window) {
    loopWindow = window;
    if (stopRequested.exchange(false)) ::PostMessageA(window, WM_CLOSE, 0, 0);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    loopWindow = nullptr;
}

void QuitMessageLoop() { ::PostQuitMessage(0); }

bool MapsPaths() { return false; }

void SetDataDirectory(const std::string &) {}
void SetRuntimeDirectory(const std::string &) {}
void MapDrive(char, const std::string &) {}
void MapShare(const std::string &, const std::string &) {}

std::string AgentPathOf(const std::string &path) { return path; }

// Windows keeps the semaphores and the registry itself, and its access
// lists are not examined here.
std::string PrepareRuntimeDirectory() { return {}; }
std::string PrepareDataDirectory() { return {}; }
std::string OthersWhoMayChange(const std::string &) { return {}; }

std::string ProgramDirectory() {
    char program[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return AbsolutePath(".");
    return std::filesystem::path(program).parent_path().string();
}

// The loader finds companion modules by their own names.
std::string ModuleFileOf(const std::string &moduleName) { return moduleName; }

std::string HostName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? name : "localhost";
}

std::string LoginName() {
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? name : "unknown";
}

std::string Banner() {
    return "Pelvantine Workstation Agent host " + BuildIdentity() + " for Windows";
}

}  // namespace plvagent::host
