#include "platform/posix/paths.h"

#include <dirent.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/ascii.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Join(const std::string &directory, const std::string &name) {
    if (directory.empty()) return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// Splits at separators; "." is dropped and ".." takes the previous name
// away, never climbing above the root.
std::vector<std::string> Components(const std::string &text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::string name = text.substr(start, end - start);
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

// The entry of `directory` whose name equals `name` without regard to case.
std::optional<std::string> MatchNoCase(const std::string &directory, const std::string &name) {
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(directory.empty() ? "." : directory.c_str()),
                                             ::closedir);
    if (!dir) return std::nullopt;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (EqualNoCase(entry->d_name, name)) return std::string(entry->d_name);
    }
    return std::nullopt;
}

// Each name is taken as it stands when that exists, else as the entry that
// matches it without regard to case; from the first name that matches
// nothing on, the rest are kept as given (a file about to be created).
std::string ResolveNames(const std::string &root, const std::vector<std::string> &names) {
    std::string whole = root;
    for (const std::string &name : names) whole = Join(whole, name);
    if (names.empty() || ::access(whole.c_str(), F_OK) == 0) return whole;
    std::string current = root;
    bool matching = true;
    for (const std::string &name : names) {
        const std::string exact = Join(current, name);
        if (matching && ::access(exact.c_str(), F_OK) != 0 && errno == ENOENT) {
            if (auto found = MatchNoCase(current, name)) {
                current = Join(current, *found);
                continue;
            }
            matching = false;
        }
        current = exact;
    }
    return current;
}

struct SplitPath {
    std::string root;  // host directory; empty for a path relative to the working directory
    std::string rest;  // the DOS text after the root
};

DWORD SplitUnc(const std::string &path, SplitPath *split) {
    const std::size_t serverEnd = path.find_first_of("\\/", 2);
    const std::string server = path.substr(2, serverEnd == std::string::npos ? std::string::npos
                                                                              : serverEnd - 2);
    if (server == "." || server == "?") return ERROR_FILE_NOT_FOUND;  // devices
    if (serverEnd == std::string::npos) return ERROR_BAD_NETPATH;
    const std::size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
    const std::string share = path.substr(serverEnd + 1, shareEnd == std::string::npos
                                                             ? std::string::npos
                                                             : shareEnd - serverEnd - 1);
    auto directory = share.empty() ? std::nullopt : ShareDirectory(server, share);
    if (!directory) return IsKnownServer(server) ? ERROR_BAD_NET_NAME : ERROR_BAD_NETPATH;
    split->root = *directory;
    split->rest = shareEnd == std::string::npos ? std::string() : path.substr(shareEnd);
    return ERROR_SUCCESS;
}

DWORD Split(std::string path, SplitPath *split) {
    // "\\?\" only lifts the length limit; the path behind it is an ordinary one.
    if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 5 && path[5] == ':') path.erase(0, 4);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return SplitUnc(path, split);
    if (path.size() >= 2 && path[1] == ':') {
        auto directory = DriveDirectory(path[0]);
        if (!directory) return ERROR_PATH_NOT_FOUND;
        split->root = *directory;
        split->rest = path.substr(2);
        return ERROR_SUCCESS;
    }
    if (!path.empty() && IsSeparator(path[0])) {
        split->root = DriveDirectory('Z').value_or("/");
    } else {
        split->root.clear();
    }
    split->rest = path;
    return ERROR_SUCCESS;
}

}  // namespace

std::string WithoutTrailingSlashes(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory;
}

DWORD HostPathOf(LPCSTR dosPath, std::string *hostPath) {
    if (dosPath == nullptr || *dosPath == '\0') return ERROR_PATH_NOT_FOUND;
    SplitPath split;
    if (DWORD error = Split(dosPath, &split)) return error;
    const std::vector<std::string> names = Components(split.rest);
    const std::string path = ResolveNames(split.root, names);
    // A trailing separator names a directory, as it does on Windows.
    const bool directory = !names.empty() && IsSeparator(split.rest.back());
    *hostPath = path.empty() ? std::string(1, '.') : directory ? path + '/' : path;
    return ERROR_SUCCESS;
}

DWORD HostRootOf(LPCSTR rootPath, std::string *hostRoot) {
    if (rootPath == nullptr || *rootPath == '\0') return ERROR_INVALID_NAME;
    SplitPath split;
    if (DWORD error = Split(rootPath, &split)) return error;
    if (split.root.empty() || !Components(split.rest).empty()) return ERROR_INVALID_NAME;
    *hostRoot = split.root;
    return ERROR_SUCCESS;
}

std::string DosPathOf(const std::string &hostPath) {
    std::string path = hostPath;
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) != nullptr) path = Join(cwd, path);
    }
    const MappedRoot *best = nullptr;
    std::size_t bestLength = 0;
    std::vector<MappedRoot> roots = MappedRoots();
    for (const MappedRoot &root : roots) {
        const std::string directory = WithoutTrailingSlashes(root.directory);
        const std::size_t length = directory == "/" ? 0 : directory.size();
        const bool inside = path.compare(0, length, directory, 0, length) == 0 &&
                            (path.size() == length || path[length] == '/');
        // The deepest mapping wins; among equal ones the first in order:
        // letters before shares, C: before Z:.
        if (inside && (best == nullptr || length > bestLength)) {
            best = &root;
            bestLength = length;
        }
    }
    if (best == nullptr) return path;
    std::string rest = path.substr(bestLength);
    for (char &c : rest) c = c == '/' ? '\\' : c;
    if (rest.empty() || rest[0] != '\\') rest.insert(rest.begin(), '\\');
    return best->dosRoot + rest;
}

}  // namespace plv::posix
