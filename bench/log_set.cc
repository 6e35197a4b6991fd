#include "log_set.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "plvlib32.h"

namespace plv::bench {
namespace {

constexpr std::int64_t kDay = 86400;
// 1998-01-05, a Monday.
constexpr std::int64_t kFirstDay = 10231 * kDay;

struct Event {
    std::int64_t at;
    std::uint64_t order;
    std::string line;
};

std::string Stamp(std::int64_t at, bool date) {
    char text[16];
    if (date) {
        const std::chrono::year_month_day civil{
            std::chrono::sys_days{std::chrono::days{at / kDay}}};
        std::snprintf(text, sizeof text, "%04d/%02u/%02u", static_cast<int>(civil.year()),
                      static_cast<unsigned>(civil.month()), static_cast<unsigned>(civil.day()));
    } else {
        const std::int64_t second = at % kDay;
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(second / 3600),
                      static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    }
    return text;
}

// YYYYMMDD, as definition lines and file names have it.
std::string Digits(std::int64_t day) {
    std::string date = Stamp(day, true);
    date.erase(std::remove(date.begin(), date.end(), '/'), date.end());
    return date;
}

std::vector<std::string> Catalogue() {
    const char *first[] = {"WRI", "CAL", "LED", "SKE", "MAI", "BRO", "TER", "PLA", "DRA", "NOT"};
    const char *second[] = {"TER", "PAD", "GER", "TCH", "LBOX", "WSE"};
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < 60; ++i) {
        const std::string name = std::string(first[i % 10]) + second[i / 10];
        if (i % 4 == 3) {
            std::string lower = name;
            for (char &c : lower) c = static_cast<char>(c - 'A' + 'a');
            paths.push_back("Z:\\usr\\bin\\" + lower);
        } else {
            paths.push_back("C:\\PROGRAM FILES\\" + name + " SUITE\\BIN\\" + name + ".EXE");
        }
    }
    return paths;
}

class Writer {
  public:
    Writer(const LogSetShape &shape) : shape_(shape), random_(shape.seed), paths_(Catalogue()) {
        // Most used most: the weight of the n-th application is 1/n.
        std::vector<double> weights;
        for (std::size_t i = 0; i < paths_.size(); ++i)
            weights.push_back(1.0 / static_cast<double>(i + 1));
        popularity_ = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
    }

    LogDay Day(const std::string &directory, int index) {
        const std::int64_t day = kFirstDay + index * kDay;
        const bool weekend = index % 7 >= 5;
        events_ = std::move(carried_);
        carried_.clear();
        LogDay facts;
        std::string defs;
        for (int w = 0; w < shape_.workstations; ++w) {
            if (Chance(weekend ? 0.08 : 0.92)) facts.sessions += Workstation(w, day, defs);
        }
        std::sort(events_.begin(), events_.end(), [](const Event &a, const Event &b) {
            return std::tie(a.at, a.order) < std::tie(b.at, b.order);
        });
        facts.logFile = directory + "/" + Digits(day) + ".LOG";
        facts.defFile = directory + "/" + Digits(day) + ".DEF";
        std::string bytes = std::string{'\0', '\0', 20, 0} + "Pelvantine usage log";
        for (Event &event : events_) {
            const auto key =
                static_cast<std::uint16_t>(std::uniform_int_distribution<int>(1, 254)(random_));
            const auto length = static_cast<std::uint16_t>(event.line.size());
            EncryptString(event.line.data(), length, key);
            bytes += std::string{'\r',
                                 '\n',
                                 0x18,
                                 0x01,
                                 static_cast<char>(key),
                                 0,
                                 static_cast<char>(length & 0xFF),
                                 static_cast<char>(length >> 8)};
            bytes += event.line;
        }
        std::ofstream(facts.logFile, std::ios::binary | std::ios::trunc) << bytes;
        std::ofstream(facts.defFile, std::ios::binary | std::ios::trunc) << defs;
        facts.bytes = bytes.size() + defs.size();
        facts.events = events_.size();
        return facts;
    }

  private:
    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    std::int64_t Uniform(std::int64_t from, std::int64_t to) {
        return std::uniform_int_distribution<std::int64_t>(from, to)(random_);
    }

    void Add(std::int64_t at, std::string line) {
        Event event{at, order_++, std::move(line)};
        // An event is written to the file of its own day.
        if (at >= dayEnd_)
            carried_.push_back(std::move(event));
        else
            events_.push_back(std::move(event));
    }

    std::string Line(std::int64_t at, const std::string &who, const std::string &application,
                     const char *event, const std::string &identifier = "",
                     std::int64_t start = -1) {
        std::string line = Stamp(at, true) + ';' + Stamp(at, false) + ';' + who + ";;" +
                           application + ';' + event + ';' + identifier + ';';
        if (start >= 0)
            line += Stamp(start, true) + ';' + Stamp(start, false) + ";0;0;";
        else
            line += ";;;;";
        return line;
    }

    std::uint64_t Workstation(int w, std::int64_t day, std::string &defs) {
        static const char *contexts[] = {"SALES",   "ACCOUNTS", "RESEARCH",
                                         "SUPPORT", "OFFICE",   "STORES"};
        char who[64];
        std::snprintf(who, sizeof who, "WS-%04d;USER%04d;%s", w, w % 7 == 0 ? w + 1 : w,
                      contexts[w % 6]);
        dayEnd_ = day + kDay;
        const std::int64_t agentStart = day + 7 * 3600 + 30 * 60 + Uniform(0, 90 * 60);
        if (Chance(0.1))
            Add(day, Line(day, who, "Pelvantine", "Continued", "PLV." + std::to_string(w)));
        else
            Add(agentStart,
                Line(agentStart, who, "Pelvantine", "Initialization Failure", "PLVWOW32.DLL"));
        const int sessions = std::poisson_distribution<int>(20)(random_);
        for (int s = 0; s < sessions; ++s) {
            const std::string &path = paths_[popularity_(random_)];
            const std::int64_t start = Uniform(agentStart, day + 18 * 3600 + 30 * 60);
            const double minutes =
                Chance(0.01) ? 600 : std::exp(std::normal_distribution<double>(2.5, 1.2)(random_));
            const std::int64_t end =
                start + static_cast<std::int64_t>(std::min(minutes, 900.0) * 60);
            Add(start, Line(start, who, path, "Initiated"));
            if (Chance(0.005)) continue;  // the workstation went down first
            if (Chance(0.02)) {
                const std::int64_t renamed = (start + end) / 2;
                const std::string newName = path + ".NEW";
                Add(renamed, Line(renamed, who, path, "Terminated"));
                Add(renamed, Line(renamed, who, newName, "Initiated"));
                Add(end, Line(end, who, newName, "Terminated", "", start));
                continue;
            }
            Add(end, Line(end, who, path, "Terminated", "", start));
        }
        if (Chance(0.04)) {
            defs += Digits(day) + ';' + Stamp(agentStart + 600, false) + ';' + who +
                    ";Z:\\opt\\tools;tool" + std::to_string(w % 13) + ";19971201;" +
                    std::to_string(40000 + w) + ";A tool;ToolWindow;Tool;Tools Ltd;1.0;0409\r\n";
        }
        return static_cast<std::uint64_t>(sessions);
    }

    const LogSetShape &shape_;
    std::mt19937_64 random_;
    std::vector<std::string> paths_;
    std::discrete_distribution<std::size_t> popularity_;
    std::vector<Event> events_, carried_;
    std::uint64_t order_ = 0;
    std::int64_t dayEnd_ = 0;
};

}  // namespace

std::vector<LogDay> WriteLogSet(const std::string &directory, const LogSetShape &shape) {
    std::filesystem::create_directories(directory);
    Writer writer(shape);
    std::vector<LogDay> days;
    std::uint64_t bytes = 0;
    for (int index = 0; bytes < shape.logBytes; ++index) {
        days.push_back(writer.Day(directory, index));
        bytes += days.back().bytes;
    }
    return days;
}

}  // namespace plv::bench
