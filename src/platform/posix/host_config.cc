// Where the agent keeps its data and its semaphores, and which host
// directories stand for drive letters and network shares. The host sets
// these before it starts the library; environment variables give defaults.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "platform/ascii.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

struct HostConfiguration {
    std::mutex mutex;
    std::optional<std::string> dataDirectory;
    std::optional<std::string> runtimeDirectory;
    std::map<char, std::string> drives;  // upper-case letter -> directory
    std::map<std::string, std::string> shares;  // "\\SERVER\SHARE", upper case -> directory
};

HostConfiguration &Configuration() {
    static HostConfiguration configuration;
    return configuration;
}

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd *entry = ::getpwuid(::getuid())) home = entry->pw_dir;
    }
    return home;
}

std::string DefaultDataDirectory() {
    if (std::string dir = Environment("PLV_DATA_DIR"); !dir.empty()) return dir;
    if (std::string dir = Environment("XDG_DATA_HOME"); !dir.empty()) return dir + "/plvagent";
    return HomeDirectory() + "/.local/share/plvagent";
}

std::string DefaultRuntimeDirectory() {
    if (std::string dir = Environment("PLV_RUNTIME_DIR"); !dir.empty()) return dir;
    if (std::string dir = Environment("XDG_RUNTIME_DIR"); !dir.empty()) return dir + "/plvagent";
    return "/tmp/plvagent-" + std::to_string(::getuid());
}

}  // namespace

void SetDataDirectory(const std::string &directory) {
    std::lock_guard lock(Configuration().mutex);
    Configuration().dataDirectory = directory;
}

std::string DataDirectory() {
    std::lock_guard lock(Configuration().mutex);
    if (!Configuration().dataDirectory) Configuration().dataDirectory = DefaultDataDirectory();
    return *Configuration().dataDirectory;
}

void SetRuntimeDirectory(const std::string &directory) {
    std::lock_guard lock(Configuration().mutex);
    Configuration().runtimeDirectory = directory;
}

std::string RuntimeDirectory() {
    std::lock_guard lock(Configuration().mutex);
    if (!Configuration().runtimeDirectory)
        Configuration().runtimeDirectory = DefaultRuntimeDirectory();
    return *Configuration().runtimeDirectory;
}

void MapDrive(char letter, const std::string &directory) {
    std::lock_guard lock(Configuration().mutex);
    Configuration().drives[UpperAscii(letter)] = directory;
}

void MapShare(const std::string &uncRoot, const std::string &directory) {
    std::string root = UpperAsciiText(uncRoot);
    for (char &c : root) c = c == '/' ? '\\' : c;
    while (root.size() > 2 && root.back() == '\\') root.pop_back();
    std::lock_guard lock(Configuration().mutex);
    Configuration().shares[root] = directory;
}

void ForgetMappings() {
    std::lock_guard lock(Configuration().mutex);
    Configuration().drives.clear();
    Configuration().shares.clear();
}

std::optional<std::string> DriveDirectory(char letter) {
    letter = UpperAscii(letter);
    {
        std::lock_guard lock(Configuration().mutex);
        auto found = Configuration().drives.find(letter);
        if (found != Configuration().drives.end()) return found->second;
    }
    if (letter == 'C') return DataDirectory();
    if (letter == 'Z') return std::string("/");
    return std::nullopt;
}

std::optional<std::string> ShareDirectory(const std::string &server, const std::string &share) {
    std::lock_guard lock(Configuration().mutex);
    auto found =
        Configuration().shares.find("\\\\" + UpperAsciiText(server) + "\\" + UpperAsciiText(share));
    if (found == Configuration().shares.end()) return std::nullopt;
    return found->second;
}

bool IsKnownServer(const std::string &server) {
    const std::string prefix = "\\\\" + UpperAsciiText(server) + "\\";
    std::lock_guard lock(Configuration().mutex);
    for (const auto &[root, directory] : Configuration().shares)
        if (root.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

std::vector<MappedRoot> MappedRoots() {
    std::vector<MappedRoot> roots;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (auto directory = DriveDirectory(letter)) roots.push_back({std::string{letter, ':'}, *directory});
    }
    std::lock_guard lock(Configuration().mutex);
    for (const auto &[root, directory] : Configuration().shares) roots.push_back({root, directory});
    return roots;
}

}  // namespace plv::posix
