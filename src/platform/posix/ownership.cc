#include "platform/posix/ownership.h"

#include <grp.h>
#include <pwd.h>

#include <cstdio>
#include <vector>


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

}  // namespace plv::posix
