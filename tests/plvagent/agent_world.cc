#include "agent_world.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "agent_test_files.h"
#include "log_reader.h"

namespace plvagent::testing {
namespace {

std::vector<std::string> FilesEndingIn(const std::string &directory, const std::string &suffix) {
    std::vector<std::string> paths;
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(directory, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());  // day by day
    return paths;
}

}  // namespace

AgentWorld::AgentWorld() {
    std::filesystem::create_directories(directory_ / "server/PLV/LOGS");
    std::filesystem::create_directories(directory_ / "server/PLV/SYSTEM");
    WriteFile(directory_ / "server/PLV/SYSTEM/PLV.INI", "[Pelvantine]\r\n");
    // As an administrator installs them whatever the umask: the agent warns
    // about directories others may write in.
    for (const char *directory : {"server", "server/PLV", "server/PLV/LOGS", "server/PLV/SYSTEM"})
        std::filesystem::permissions(directory_ / directory, std::filesystem::perms(0755));
}

void AgentWorld::Configure(const std::string &agentLines, const std::string &otherSections) {
    WriteFile(configurationFile(), "[Agent]\nHomePath = H:\\PLV\n" + agentLines + "\n" + otherSections +
                                       "\n[Drives]\nH = " + directory_ / "server" +
                                       "\n[Platform]\nDataDirectory = " + dataDirectory() +
                                       "\nRuntimeDirectory = " + directory_ / "run" + "\n");
    std::filesystem::permissions(configurationFile(), std::filesystem::perms(0644));
}

std::vector<std::vector<std::string>> AgentWorld::LogEvents() const {
    std::vector<std::vector<std::string>> events;
    for (const std::string &path : FilesEndingIn(logsDirectory(), ".LOG")) {
        const auto log = plv::logs::ParseLogFile(ReadFile(path));
        if (!log) continue;
        for (const auto &record : log->records) events.push_back(Fields(record.line));
    }
    return events;
}

AgentProcess AgentWorld::Agent(const std::string &command, std::vector<std::string> arguments,
                               const std::vector<std::string> &environment) const {
    arguments.insert(arguments.begin(), {command, "--config", configurationFile()});
    return AgentProcess(AgentProgram(), arguments, directory(), environment);
}

std::vector<std::vector<std::string>> AgentWorld::Events(const std::string &program,
                                                         const std::string &eventText) const {
    std::vector<std::vector<std::string>> events;
    for (auto &event : LogEvents()) {
        const std::string &application = event.at(6), suffix = "\\" + program;
        if (event.at(7) == eventText &&
            (application == program ||
             (application.size() > suffix.size() &&
              application.compare(application.size() - suffix.size(), suffix.size(), suffix) == 0)))
            events.push_back(event);
    }
    return events;
}

std::vector<std::string> AgentWorld::DefinitionLines() const {
    std::vector<std::string> lines;
    for (const std::string &path : FilesEndingIn(logsDirectory(), ".DEF")) {
        std::istringstream content(ReadFile(path));
        for (std::string line; std::getline(content, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> Fields(const std::string &line) {
    std::vector<std::string> fields;
    std::istringstream text(line);
    for (std::string field; std::getline(text, field, ';');) fields.push_back(field);
    if (!line.empty() && line.back() == ';') fields.push_back("");
    return fields;
}

}  // namespace plvagent::testing
