// What the Linux kernel tells of a process in /proc/<pid>/stat.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace plv::testing {

struct ProcessStat {
    char state = '?';  // 'Z' a zombie, 'T' stopped, ...
    unsigned long flags = 0;
};

inline ProcessStat StatOf(const std::string &pid) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string line;
    std::getline(in, line);
    ProcessStat stat;
    const auto end = line.rfind(')');
    if (end == std::string::npos) return stat;
    std::istringstream fields(line.substr(end + 2));
    std::string skip;
    fields >> stat.state;
    for (int i = 0; i < 5; ++i) fields >> skip;  // ppid pgrp session tty tpgid
    fields >> stat.flags;
    return stat;
}

}  // namespace plv::testing
