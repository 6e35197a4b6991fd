#include "seam_files.h"


namespace plvagent {
namespace {

// Closes a handle of the seam when it goes.
class OpenFile {
  public:
    explicit OpenFile(HANDLE handle) : handle_(handle) {}
    ~OpenFile() {
        if (valid()) Os().CloseHandle(handle_);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace

plv::Platform &Os() { return plv::NativePlatform(); }

std::optional<std::string> ReadWholeFile(const std::string &path, DWORD *error) {
    OpenFile file(Os().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        *error = Os().GetLastError();
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        DWORD read = 0;
        if (!Os().ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            *error = Os().GetLastError();
            return std::nullopt;
        }
        if (read == 0) return content;
        content.append(buffer, read);
    }
}

DWORD AppendToFile(const std::string &path, const std::string &text) {
    OpenFile file(Os().CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Os().GetLastError();
    if (Os().SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
        return Os().GetLastError();
    DWORD written = 0;
    if (!Os().WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return Os().GetLastError();
    return written == text.size() ? ERROR_SUCCESS : ERROR_DISK_FULL;
}

bool IsDirectory(const std::string &path) {
    const DWORD attributes = Os().GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ErrorText(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "the file does not exist";
    case ERROR_PATH_NOT_FOUND: return "its directory does not exist";
    case ERROR_ACCESS_DENIED: return "access is denied";
    case ERROR_SHARING_VIOLATION: return "another process has it open";
    case ERROR_BAD_NETPATH: return "the network path is unknown";
    case ERROR_BAD_NET_NAME: return "the network share is unknown";
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_LOCK_VIOLATION: return "another process has locked a part of it";
    case ERROR_NETNAME_DELETED: return "the network share is no longer available";
    case ERROR_REM_NOT_LIST: return "the server does not answer";
    case ERROR_UNEXP_NET_ERR: return "an unexpected network error occurred";
    case ERROR_VC_DISCONNECTED: return "the connection to the server was lost";
    case ERROR_NO_NETWORK: return "the network is down";
    default: return "Windows error " + std::to_string(error);
    }
}

}  // namespace plvagent
