// Helper processes on Windows: this test program started again with
// CreateProcessA, its standard input and output on anonymous pipes.
#include <windows.h>

#include <stdexcept>

#include "support/command_line.h"
#include "support/helper_process.h"

namespace plv::testing {

HelperProcess::HelperProcess(const std::string &role, const std::vector<std::string> &arguments) {
    // Only the helper's ends are inherited; this process keeps the others.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE inputRead, inputWrite, outputRead, outputWrite;
    if (!::CreatePipe(&inputRead, &inputWrite, &inherited, 0)) throw std::runtime_error("CreatePipe failed");
    if (!::CreatePipe(&outputRead, &outputWrite, &inherited, 0)) throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);

    const std::string self = ThisProgram();
    std::vector<std::string> words{self, "--helper", role};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::string commandLine = JoinCommandLine(words);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    PROCESS_INFORMATION started{};
    const BOOL created = ::CreateProcessA(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &started);
    ::CloseHandle(inputRead);
    ::CloseHandle(outputWrite);
    toHelper_ = inputWrite;
    fromHelper_ = outputRead;
    if (!created) throw std::runtime_error("CreateProcessA failed: " + std::to_string(::GetLastError()));
    ::CloseHandle(started.hThread);
    process_ = started.hProcess;
}

HelperProcess::~HelperProcess() {
    if (process_ != nullptr) Kill();
    if (toHelper_ != nullptr) ::CloseHandle(toHelper_);
    if (fromHelper_ != nullptr) ::CloseHandle(fromHelper_);
}

std::string HelperProcess::Ask(const std::string &command) {
    const std::string line = command + "\n";
    DWORD written = 0;
    if (toHelper_ == nullptr ||
        !::WriteFile(toHelper_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
        return "(helper gone)";
    // The helper answers one line; its runtime may end it with CR LF.
    std::string answer;
    char c;
    DWORD read = 0;
    while (::ReadFile(fromHelper_, &c, 1, &read, nullptr) && read == 1 && c != '\n') {
        if (c != '\r') answer += c;
    }
    return read == 1 ? answer : "(helper gone)";
}

void HelperProcess::Kill() {
    if (process_ == nullptr) return;
    ::TerminateProcess(process_, 137);
    Wait();
}

int HelperProcess::Wait() {
    if (process_ == nullptr) return -1;
    if (toHelper_ != nullptr) {
        ::CloseHandle(toHelper_);  // end of input tells a helper to finish
        toHelper_ = nullptr;
    }
    ::WaitForSingleObject(process_, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process_, &status);
    ::CloseHandle(process_);
    process_ = nullptr;
    return static_cast<int>(status);
}

}  // namespace plv::testing
