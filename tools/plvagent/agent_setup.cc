#include "agent_setup.h"

#include <filesystem>
#include <system_error>

#include "host_system.h"
#include "plvlib32.h"
#include "seam_files.h"

namespace plvagent {
namespace {

std::string Join(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "(none)" : text;
}

}  // namespace

std::optional<std::string> LocateConfiguration(const std::optional<std::string> &named) {
    if (named) return named;
    for (const std::string &candidate : host::ConfigurationCandidates()) {
        std::error_code ignored;
        if (std::filesystem::exists(candidate, ignored)) return candidate;
    }
    return std::nullopt;
}

std::optional<LoadedAgent> LoadAgent(const std::optional<std::string> &configurationFile,
                                     Problems &problems) {
    const std::string local = host::BuiltInDirectory();
    LoadedAgent loaded{configurationFile ? ReadConfiguration(*configurationFile, problems)
                                         : EmbeddedConfiguration(local),
                       {}};
    if (!problems.empty()) return std::nullopt;
    const AgentConfiguration &c = loaded.configuration;
    if (!configurationFile) ApplyPlatformSettings(c);
    std::string why;
    if (!configurationFile && !PrepareLocalDirectory(c, local, &why)) {
        problems.push_back({local, 0, {}, "cannot be prepared: " + why});
        return std::nullopt;
    }
    if (!c.definitionsFile.empty())
        loaded.definitions = ReadDefinitions(c.definitionsFile, c.definitionsShownName, problems);
    if (!problems.empty()) return std::nullopt;
    return loaded;
}

std::vector<std::string> CheckHomePath(const AgentConfiguration &c) {
    std::vector<std::string> missing;
    for (const char *directory : {"LOGS", "SYSTEM"}) {
        const std::string path = c.homePath + "\\" + directory;
        if (!IsDirectory(path)) missing.push_back(path + " is not a directory: the agent cannot write there");
    }
    if (Os().GetFileAttributesA(c.settingsFile.c_str()) == INVALID_FILE_ATTRIBUTES)
        missing.push_back(c.settingsFile + " does not exist: the library will report a network failure at each look");
    return missing;
}

std::string SharedLogDirectory(const AgentConfiguration &c) {
    const std::string logs = c.homePath + "\\LOGS";
    const std::optional<std::string> directory = host::SystemPathOf(logs);
    return directory ? *directory : logs + " (its drive or share stands for no directory)";
}

std::vector<std::string> Summary(const LoadedAgent &loaded) {
    const AgentConfiguration &c = loaded.configuration;
    std::vector<std::string> lines = {
        "configuration: " + c.source,
        "home path: " + c.homePath,
        "shared log directory: " + SharedLogDirectory(c),
        "settings file: " + c.settingsFile,
        "agent directory: " + c.agentDirectory,
        "workstation: " + c.workstation,
        "user: " + c.user,
        "user context: " + c.userContext,
        "update interval: " + std::to_string(c.updateInterval) + " minutes",
        "update countdown: " + std::to_string(c.updateCountdown) + " cycles",
        "agent number: " + std::to_string(c.agentNumber),
        "close retry count: " + std::to_string(c.closeRetryCount),
        "log header: " + c.logHeader,
        "options: " + Join(OptionKeysSet(c.optionFlags)),
        "network kind: " + std::to_string(c.networkKind),
        "definitions: " + std::to_string(loaded.definitions.nodes().size()) +
            (c.definitionsFile.empty() ? "" : " from " + c.definitionsShownName),
        "ignored programs: " + Join(c.ignoredPrograms),
        "ignored classes: " + Join(c.ignoredClasses),
        "ignored DOS programs: " + Join(c.ignoredDosPrograms),
        "ignored 16-bit programs: " + Join(c.ignored16BitPrograms),
    };
    for (const PLVAppDefinition &definition : loaded.definitions.nodes())
        lines.push_back("definition: " + DefinitionName(definition));
    return lines;
}

}  // namespace plvagent
