// A second, unprivileged user for tests of what the agent trusts: nobody,
// to whom a test that runs as root (as CI runs them) hands files over.
#pragma once

#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace plv::testing {

struct OtherUser {
    uid_t uid;
    gid_t gid;
    std::string name;
};

// nobody, when this process may hand files over to it; nothing otherwise.
inline std::optional<OtherUser> HandOverUser() {
    const passwd *entry = ::getpwnam("nobody");
    if (::geteuid() != 0 || entry == nullptr) return std::nullopt;
    return OtherUser{entry->pw_uid, entry->pw_gid, entry->pw_name};
}

// Makes the user the owner of the file, directory or link itself.
inline void HandOver(const std::string &path, const OtherUser &user) {
    if (::lchown(path.c_str(), user.uid, user.gid) != 0) throw std::runtime_error("lchown " + path);
}

// What a test says when it skips the cases that need the second user.
inline constexpr char kNeedsRoot[] =
    "needs root: only root can hand a directory over to another user (chown)";

}  // namespace plv::testing
