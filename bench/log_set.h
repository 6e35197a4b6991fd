// A shared LOGS directory as hundreds of agents fill it, day after day: the
// world of the log tools' benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plv::bench {

struct LogSetShape {
    int workstations = 500;
    std::uint64_t logBytes = 1ull << 30;  // days are added until the logs hold this much
    std::uint64_t seed = 20;
};

struct LogDay {
    std::string logFile, defFile;  // full paths
    std::uint64_t bytes = 0;       // of both
    std::uint64_t events = 0, sessions = 0;
};

// Writes YYYYMMDD.LOG and YYYYMMDD.DEF files into the directory (made when
// missing), the same files for the same shape. On a working day most
// workstations start their agent in the morning (its start-up failure
// event), their user runs some twenty sessions of applications of a
// catalogue of sixty, most used most, of minutes to hours; a few sessions
// run past midnight, a few are never ended, a few applications are renamed
// under their process; agents running overnight log "Continued"; at the
// weekend few workstations are used. Each day's events are written in the
// order of their time, the workstations' records interleaved, each with a
// key of its own.
std::vector<LogDay> WriteLogSet(const std::string &directory, const LogSetShape &shape);

}  // namespace plv::bench
