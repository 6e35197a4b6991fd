#include "support/test_window_process.h"

#include "support/command_line.h"

namespace plv::testing {
namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM parameter) {
    auto *search = reinterpret_cast<Search *>(parameter);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    char name[64];
    if (processId != search->processId || ::GetClassNameA(window, name, sizeof name) == 0 ||
        std::string(name) != TestWindowProcess::kClass)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string TestWindowProcess::DefaultProgram() { return ThisProgramDirectory() + "\\TESTWIN.EXE"; }

TestWindowProcess::TestWindowProcess(const std::string &title, const std::string &program) {
    std::string commandLine = JoinCommandLine({program}) + " " + title;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        return;
    ::CloseHandle(started.hThread);
    process_ = started.hProcess;
    processId_ = started.dwProcessId;
    for (int attempt = 0; attempt < 200 && window_ == nullptr; ++attempt) {
        Search search{processId_, nullptr};
        ::EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        window_ = search.found;
        if (window_ == nullptr && ::WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) break;
    }
    if (window_ != nullptr) threadId_ = ::GetWindowThreadProcessId(window_, nullptr);
}

TestWindowProcess::~TestWindowProcess() {
    if (process_ == nullptr) return;
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, INFINITE);
    }
    ::CloseHandle(process_);
}

int TestWindowProcess::Close() {
    if (window_ != nullptr) ::PostMessageA(window_, WM_CLOSE, 0, 0);
    if (process_ == nullptr || ::WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) return -1;
    DWORD status = 0;
    ::GetExitCodeProcess(process_, &status);
    return static_cast<int>(status);
}

}  // namespace plv::testing
