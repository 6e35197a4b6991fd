// Owners and modes in words, and who besides its owner may change a file:
// the host warns about programs it starts and files it reads that another
// user could change.
#include "platform/posix/ownership.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// Room for the entries of the user and group databases.
constexpr std::size_t kEntryRoom = 16384;

}  // namespace

std::string UserText(uid_t uid) {
    passwd entry{};
    passwd *found = nullptr;
    std::vector<char> room(kEntryRoom);
    const std::string number = "uid " + std::to_string(uid);
    if (::getpwuid_r(uid, &entry, room.data(), room.size(), &found) != 0 || found == nullptr)
        return number;
    return std::string(entry.pw_name) + " (" + number + ")";
}

std::string GroupText(gid_t gid) {
    group entry{};
    group *found = nullptr;
    std::vector<char> room(kEntryRoom);
    const std::string number = "gid " + std::to_string(gid);
    if (::getgrgid_r(gid, &entry, room.data(), room.size(), &found) != 0 || found == nullptr)
        return number;
    return std::string(entry.gr_name) + " (" + number + ")";
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string OthersWhoMayChange(const std::string &dosPath) {
    std::string hostPath;
    struct stat status;
    if (HostPathOf(dosPath.c_str(), &hostPath) != ERROR_SUCCESS ||
        ::stat(hostPath.c_str(), &status) != 0)
        return {};
    // Root may change anything anyway; any other owner is another user.
    std::vector<std::string> others;
    if (status.st_uid != 0 && status.st_uid != ::geteuid())
        others.push_back("owned by " + UserText(status.st_uid));
    if ((status.st_mode & S_IWGRP) != 0)
        others.push_back("writable by group " + GroupText(status.st_gid));
    if ((status.st_mode & S_IWOTH) != 0) others.push_back("writable by everyone");
    if (others.empty()) return {};
    std::string text = "is " + others.front();
    for (std::size_t i = 1; i < others.size(); ++i) text += " and " + others[i];
    return text + ", mode " + ModeText(status.st_mode);
}

}  // namespace plv::posix
