// The log tools on a log set that looks like a real one (log_set.h): plvlog
// and plvreport import next to cat over the same files, and the reports
// over a million sessions. Each program runs once, its output thrown away;
// the table gives wall time, processor time and the most memory it held.
// Run: log_tools_bench [DIRECTORY [GIGABYTES [POSTGRES]]] (default:
// ./log-bench, 1); POSTGRES, a libpq URI of an empty database, adds the
// import into it next to SQLite's.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "log_set.h"

extern char **environ;

namespace {

struct Measured {
    double seconds = 0, processorSeconds = 0, megabytesHeld = 0;
    int status = -1;
};

Measured Run(std::vector<std::string> words) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    Measured m;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return m;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.processorSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.megabytesHeld = static_cast<double>(usage.ru_maxrss) / 1024.0;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

// The set is made by a process of its own: a program started later would
// be charged the memory it took (a started program's peak counts its
// starter's memory up to the exec).
std::vector<plv::bench::LogDay> GeneratedLogSet(const std::string &logs,
                                                const plv::bench::LogSetShape &shape) {
    const std::string factsFile = logs + ".facts";
    std::filesystem::remove_all(logs);
    std::filesystem::create_directories(logs);
    std::fflush(stdout);
    const pid_t maker = fork();
    if (maker == 0) {
        std::ofstream facts(factsFile, std::ios::trunc);
        for (const auto &day : plv::bench::WriteLogSet(logs, shape))
            facts << day.logFile << ' ' << day.defFile << ' ' << day.bytes << ' ' << day.events
                  << ' ' << day.sessions << '\n';
        facts.close();
        _exit(facts ? 0 : 1);
    }
    int status = 0;
    waitpid(maker, &status, 0);
    std::vector<plv::bench::LogDay> days;
    std::ifstream facts(factsFile);
    for (plv::bench::LogDay day;
         facts >> day.logFile >> day.defFile >> day.bytes >> day.events >> day.sessions;)
        days.push_back(day);
    return days;
}

void Show(const char *what, double megabytes, const Measured &m) {
    std::printf("| %-48s | %8.0f | %7.2f | %7.2f | %7.0f | %6.1f | %d |\n", what, megabytes,
                m.seconds, m.processorSeconds, megabytes > 0 ? megabytes / m.seconds : 0.0,
                m.megabytesHeld, m.status);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
    namespace fs = std::filesystem;
    const fs::path directory = argc > 1 ? argv[1] : "log-bench";
    plv::bench::LogSetShape shape;
    if (argc > 2) shape.logBytes = static_cast<std::uint64_t>(std::stod(argv[2]) * (1ull << 30));
    const std::string logs = (directory / "LOGS").string();
    std::printf("load average before: %s\n", LoadAverage().c_str());
    const std::vector<plv::bench::LogDay> days = GeneratedLogSet(logs, shape);

    std::vector<std::string> logFiles, allFiles, millionFiles;
    std::uint64_t logBytes = 0, allBytes = 0, events = 0, sessions = 0, millionBytes = 0,
                  millionSessions = 0;
    for (const auto &day : days) {
        logFiles.push_back(day.logFile);
        allFiles.push_back(day.logFile);
        allFiles.push_back(day.defFile);
        logBytes += fs::file_size(day.logFile);
        allBytes += day.bytes;
        events += day.events;
        sessions += day.sessions;
        if (millionSessions < 1000000) {
            millionFiles.push_back(day.logFile);
            millionFiles.push_back(day.defFile);
            millionSessions += day.sessions;
            millionBytes += day.bytes;
        }
    }
    std::printf(
        "log set: %zu days, %d workstations, %.0f MB of logs, %.0f MB with definition files, %llu "
        "events, "
        "%llu sessions\n",
        days.size(), shape.workstations, logBytes / 1e6, allBytes / 1e6,
        static_cast<unsigned long long>(events), static_cast<unsigned long long>(sessions));
    std::printf(
        "\n| what | MB | seconds | processor s | MB/s | MB held | exit "
        "|\n|---|---|---|---|---|---|---|\n");

    const auto with = [](std::vector<std::string> words, const std::vector<std::string> &files) {
        words.insert(words.end(), files.begin(), files.end());
        return words;
    };
    Run(with({"cat"}, allFiles));  // into the page cache
    Show("cat, the log files", logBytes / 1e6, Run(with({"cat"}, logFiles)));
    Show("plvlog, the LOGS directory", logBytes / 1e6, Run({PLVLOG_PROGRAM, logs}));
    Show("plvlog --format csv, the LOGS directory", logBytes / 1e6,
         Run({PLVLOG_PROGRAM, "--format", "csv", logs}));
    Show("plvlog, one day's file", fs::file_size(logFiles[0]) / 1e6,
         Run({PLVLOG_PROGRAM, logFiles[0]}));

    const std::string full = (directory / "full.db").string(),
                      million = (directory / "million.db").string();
    for (const std::string &database : {full, million}) fs::remove(database);
    Show("cat, the log and definition files", allBytes / 1e6, Run(with({"cat"}, allFiles)));
    Show("plvreport import, the LOGS directory", allBytes / 1e6,
         Run({PLVREPORT_PROGRAM, "--db", full, "import", logs}));
    Show("plvreport import, again (nothing new)", allBytes / 1e6,
         Run({PLVREPORT_PROGRAM, "--db", full, "import", logs}));
    Show("plvreport import, the first million sessions' files", millionBytes / 1e6,
         Run(with({PLVREPORT_PROGRAM, "--db", million, "import"}, millionFiles)));
    if (argc > 3) {
        Show("plvreport import into PostgreSQL, the LOGS directory", allBytes / 1e6,
             Run({PLVREPORT_PROGRAM, "--db", argv[3], "import", logs}));
        Show("plvreport import into PostgreSQL, again", allBytes / 1e6,
             Run({PLVREPORT_PROGRAM, "--db", argv[3], "import", logs}));
    }

    std::printf("\nreports over %llu sessions (%zu days), then over all %llu, as CSV:\n\n",
                static_cast<unsigned long long>(millionSessions), millionFiles.size() / 2,
                static_cast<unsigned long long>(sessions));
    std::printf(
        "| what | MB | seconds | processor s | MB/s | MB held | exit "
        "|\n|---|---|---|---|---|---|---|\n");
    for (const std::string &database : {million, full}) {
        const bool all = database == full;
        const auto report = [&](std::vector<std::string> words) {
            words.insert(words.begin(), {PLVREPORT_PROGRAM, "--db", database});
            words.push_back("--format=csv");
            return Run(words);
        };
        Show(all ? "sessions, all" : "sessions", 0, report({"sessions"}));
        Show(all ? "usage, all" : "usage", 0, report({"usage"}));
        Show(all ? "usage --by day, all" : "usage --by day", 0, report({"usage", "--by", "day"}));
        Show(all ? "peaks, all" : "peaks", 0, report({"peaks"}));
    }
    std::printf("\nload average after: %s\n", LoadAverage().c_str());
}
