#include "restart_settings.h"

#include <functional>

namespace plvagent {
namespace {

std::string Mappings(const AgentConfiguration &c) {
    std::string text;
    for (const DriveMapping &drive : c.drives)
        text += std::string(1, drive.letter) + "=" + drive.directory + "\n";
    for (const ShareMapping &share : c.shares) text += share.root + "=" + share.directory + "\n";
    return text;
}

struct Setting {
    const char *key;
    std::function<std::string(const AgentConfiguration &)> value;
};

const std::vector<Setting> &RestartSettings() {
    static const std::vector<Setting> kSettings = {
        {"HomePath", [](const auto &c) { return c.homePath; }},
        {"SettingsFile", [](const auto &c) { return c.settingsFile; }},
        {"AgentDirectory", [](const auto &c) { return c.agentDirectory; }},
        {"Workstation", [](const auto &c) { return c.workstation; }},
        {"User", [](const auto &c) { return c.user; }},
        {"UserContext", [](const auto &c) { return c.userContext; }},
        {"UpdateInterval", [](const auto &c) { return std::to_string(c.updateInterval); }},
        {"UpdateCountdown", [](const auto &c) { return std::to_string(c.updateCountdown); }},
        {"AgentNumber", [](const auto &c) { return std::to_string(c.agentNumber); }},
        {"CloseRetryCount", [](const auto &c) { return std::to_string(c.closeRetryCount); }},
        {"LogHeader", [](const auto &c) { return c.logHeader; }},
        {"[Options]", [](const auto &c) { return std::to_string(c.optionFlags); }},
        {"NetworkKind", [](const auto &c) { return std::to_string(c.networkKind); }},
        {"TimeServer", [](const auto &c) { return c.timeServer; }},
        {"NetworkModule", [](const auto &c) { return c.networkModule; }},
        {"NetWareConnection", [](const auto &c) { return std::to_string(c.netWareConnection); }},
        {"ClockFilePath", [](const auto &c) { return c.clockFile; }},
        {"[Drives] and [Shares]", Mappings},
        {"DataDirectory", [](const auto &c) { return c.dataDirectory; }},
        {"RuntimeDirectory", [](const auto &c) { return c.runtimeDirectory; }},
    };
    return kSettings;
}

}  // namespace

std::vector<std::string> SettingsWaitingForRestart(const AgentConfiguration &running,
                                                   const AgentConfiguration &reread) {
    std::vector<std::string> keys;
    for (const Setting &setting : RestartSettings()) {
        if (setting.value(running) != setting.value(reread)) keys.push_back(setting.key);
    }
    return keys;
}

}  // namespace plvagent
