// What the host needs on Linux to run as a user's service: reload
// requests, the journal, durable files, the configuration and data places
// of the XDG base directories, the platform's directories and drive paths.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host_system.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plvagent::host {
namespace {

// Noted by the signal handler, answered by the host between cycles.
volatile std::sig_atomic_t reloadRequested = 0;

void NoteReloadRequest(int) { reloadRequested = 1; }

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Failure(const std::string &what) { return what + ": " + std::strerror(errno); }

bool WriteAll(int descriptor, const std::string &content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(descriptor, content.data() + done, content.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

void CatchReloadRequests() {
    struct sigaction action {};
    action.sa_handler = &NoteReloadRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

bool TakeReloadRequest() {
    if (reloadRequested == 0) return false;
    reloadRequested = 0;
    return true;
}

void ForgetMappings() { plv::posix::ForgetMappings(); }

std::string DataDirectory() { return plv::posix::DataDirectory(); }

std::string RuntimeDirectory() { return plv::posix::RuntimeDirectory(); }

std::optional<std::string> SystemPathOf(const std::string &agentPath) {
    std::string path;
    if (plv::posix::HostPathOf(agentPath.c_str(), &path) != ERROR_SUCCESS) return std::nullopt;
    return path;
}

// A new file beside the old one, made durable, then renamed over it; the
// directory is made durable too, so the rename survives a power cut.
bool ReplaceFile(const std::string &path, const std::string &content, std::string *why) {
    const std::string fresh = path + ".new";
    const int file = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0) {
        *why = Failure(fresh);
        return false;
    }
    const bool written = WriteAll(file, content) && ::fsync(file) == 0;
    if (!written) *why = Failure(fresh);
    ::close(file);
    if (!written || ::rename(fresh.c_str(), path.c_str()) != 0) {
        if (written) *why = Failure(path);
        ::unlink(fresh.c_str());
        return false;
    }
    const std::string directory = std::filesystem::path(path).parent_path().string();
    const int parent =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent >= 0) {
        ::fsync(parent);
        ::close(parent);
    }
    return true;
}

std::vector<std::string> ConfigurationCandidates() {
    std::string userConfiguration = Environment("XDG_CONFIG_HOME");
    // XDG ignores a relative value.
    if (userConfiguration.empty() || userConfiguration.front() != '/') {
        const std::string home = Environment("HOME");
        userConfiguration = home.empty() ? "" : home + "/.config";
    }
    std::vector<std::string> candidates;
    if (!userConfiguration.empty()) candidates.push_back(userConfiguration + "/plvagent/agent.ini");
    candidates.push_back("/etc/plvagent/agent.ini");
    return candidates;
}

// The platform's own data directory: $PLV_DATA_DIR, else below
// $XDG_DATA_HOME, else below ~/.local/share.
std::string BuiltInDirectory() { return plv::posix::DataDirectory(); }

std::string DisplayName() { return Environment("DISPLAY"); }

// The journal names its stream in JOURNAL_STREAM as "device:inode"; a
// standard error redirected elsewhere is another file.
bool StandardErrorIsJournal() {
    const std::string stream = Environment("JOURNAL_STREAM");
    struct stat status {};
    if (stream.empty() || ::fstat(STDERR_FILENO, &status) != 0) return false;
    return stream == std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

}  // namespace plvagent::host
