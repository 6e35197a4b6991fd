// What the host needs on Windows to run with the user's session: Windows
// has no reload signal, no journal and no drives of the agent's own; the
// agent's data lives in the user's local application data.
#include <windows.h>

#include <cstdlib>

#include "host_system.h"

namespace plvagent::host {

void CatchReloadRequests() {}
bool TakeReloadRequest() { return false; }

void ForgetMappings() {}

std::string BuiltInDirectory() {
    const char *local = std::getenv("LOCALAPPDATA");
    return local != nullptr && *local != '\0' ? std::string(local) + "\\plvagent"
                                              : AbsolutePath("plvagent-data");
}

std::string DataDirectory() { return BuiltInDirectory(); }
std::string RuntimeDirectory() { return BuiltInDirectory(); }

std::optional<std::string> SystemPathOf(const std::string &agentPath) { return agentPath; }

bool ReplaceFile(const std::string &path, const std::string &content, std::string *why) {
    const std::string fresh = path + ".new";
    HANDLE file = ::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = fresh + ": Windows error " + std::to_string(::GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool whole =
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size() && ::FlushFileBuffers(file);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!whole || !::MoveFileExA(fresh.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *why = path + ": Windows error " + std::to_string(whole ? ::GetLastError() : error);
        ::DeleteFileA(fresh.c_str());
        return false;
    }
    return true;
}

// A configuration is named on the command line.
std::vector<std::string> ConfigurationCandidates() { return {}; }

std::string DisplayName() { return "the Windows desktop"; }
std::optional<std::string> DisplayProblem() { return std::nullopt; }

bool StandardErrorIsJournal() { return false; }

}  // namespace plvagent::host
