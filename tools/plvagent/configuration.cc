#include "configuration.h"

#include <array>
#include <filesystem>

#include "host_system.h"
#include "ini_file.h"
#include "platform/ascii.h"
#include "plvlib32.h"
#include "seam_files.h"
#include "section_reader.h"
#include "values.h"

namespace plvagent {
namespace {

struct OptionKey {
    const char *key;
    std::uint32_t mask;
};

// The option flags an administrator sets; SMS output follows the settings
// file, which the library reads itself.
constexpr std::array kOptionKeys = {
    OptionKey{"Trace", PLV_OPT_TRACE},
    OptionKey{"ClockFile", PLV_OPT_CLOCK_FILE},
    OptionKey{"UndefinedApplications", PLV_OPT_UNDEFINED_APPS},
    OptionKey{"RecordDefinitions", PLV_OPT_RECORD_DEFINITIONS},
    OptionKey{"SixteenBitMetering", PLV_OPT_16BIT_METERING},
    OptionKey{"SharedTimer", PLV_OPT_SHARED_TIMER},
};

constexpr std::array kSections = {"Agent", "Options", "Time", "Ignore", "Drives", "Shares", "Platform"};

constexpr std::uint32_t kLongestInterval = 7 * 24 * 60;  // a week, in minutes
constexpr std::uint32_t kMostCloseRetries = 100;
constexpr std::uint32_t kLargestAgentNumber = 999999999;  // "PLV.<number>" fits its event field
constexpr char kIdentityForbidden[] = ";";  // it separates the fields of event lines

// Identity texts go into every event line: cut to their room, and the
// field separator replaced.
std::string FittedIdentity(std::string text, std::size_t room) {
    if (text.size() > room) text.resize(room);
    for (char &c : text) c = c == ';' ? '_' : c;
    return text;
}

std::string DefaultWorkstation() {
    const std::string name = host::HostName();
    return FittedIdentity(name.substr(0, name.find('.')), kWorkstationRoom);
}

// Directories are kept without a trailing separator: the library adds one.
std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// A path of the agent's form, or of the system's (converted), that must fit
// the room the library gives it. Whether the key gave one.
bool ReadPath(SectionReader &reader, const char *key, std::size_t room, std::string &target) {
    const std::optional<std::string> value = reader.Text(key);
    if (!value) return false;
    const std::string path = WithoutTrailingSeparator(host::AgentPathOf(*value));
    if (path.size() > room) {
        reader.Report(key, "at most " + std::to_string(room) + " characters as " + path);
    } else {
        target = path;
    }
    return true;
}

// A directory of the system, which must be absolute: the agent may run
// from any directory.
void ReadSystemDirectory(SectionReader &reader, const char *key, std::string &target) {
    const std::optional<std::string> value = reader.Text(key);
    if (!value) return;
    if (!std::filesystem::path(*value).is_absolute()) {
        reader.Report(key, "must be an absolute directory");
        return;
    }
    target = *value;
}

void ReadAgent(const IniFile &file, AgentConfiguration &c, Problems &problems) {
    SectionReader agent(file, file.Find("Agent"), problems);
    if (!ReadPath(agent, "HomePath", kHomePathRoom, c.homePath))
        agent.Report("HomePath", "is required: the shared directory that holds LOGS and SYSTEM");
    c.settingsFile = c.homePath + "\\SYSTEM\\PLV.INI";
    ReadPath(agent, "SettingsFile", kPathRoom, c.settingsFile);
    ReadPath(agent, "AgentDirectory", kAgentDirectoryRoom, c.agentDirectory);
    ReadPath(agent, "Definitions", kPathRoom, c.definitionsFile);
    c.definitionsShownName = agent.Text("Definitions").value_or("");

    agent.Text("Workstation", kWorkstationRoom, c.workstation, kIdentityForbidden);
    agent.Text("User", kUserRoom, c.user, kIdentityForbidden);
    agent.Text("UserContext", kUserContextRoom, c.userContext, kIdentityForbidden);
    agent.Text("LogHeader", kLogHeaderRoom, c.logHeader);

    agent.Number("UpdateInterval", 1, kLongestInterval, c.updateInterval);
    c.updateCountdown = c.updateInterval * 60;
    agent.Number("UpdateCountdown", 1, kLongestInterval * 60, c.updateCountdown);
    agent.Number("AgentNumber", 0, kLargestAgentNumber, c.agentNumber);
    agent.Number("CloseRetryCount", 0, kMostCloseRetries, c.closeRetryCount);
    agent.ReportUnknownKeys();
}

void ReadOptions(const IniFile &file, AgentConfiguration &c, Problems &problems) {
    SectionReader options(file, file.Find("Options"), problems);
    for (const OptionKey &option : kOptionKeys) {
        bool set = (c.optionFlags & option.mask) != 0;
        options.Boolean(option.key, set);
        c.optionFlags = set ? (c.optionFlags | option.mask) : (c.optionFlags & ~option.mask);
    }
    options.ReportUnknownKeys();
}

void ReadTime(const IniFile &file, AgentConfiguration &c, Problems &problems) {
    SectionReader time(file, file.Find("Time"), problems);
    std::uint32_t kind = c.networkKind;
    time.Number("NetworkKind", 1, 7, kind);
    c.networkKind = static_cast<std::uint8_t>(kind);
    time.Text("TimeServer", kTimeServerRoom, c.timeServer);
    ReadPath(time, "NetworkModule", kPathRoom, c.networkModule);
    time.Number("NetWareConnection", 0, 0xFFFFFFFF, c.netWareConnection);
    ReadPath(time, "ClockFilePath", kPathRoom, c.clockFile);

    const bool lanManager = c.networkKind == 2 || c.networkKind == 6 || c.networkKind == 7;
    if (c.networkKind != 1 && c.networkModule.empty())
        time.Report("NetworkModule", "is required: NetworkKind " + std::to_string(kind) +
                                         " asks the network module for the time");
    if (c.networkKind == 1 && !c.networkModule.empty())
        time.Report("NetworkModule", "is used only with a NetworkKind from 2 to 7");
    if (lanManager && c.timeServer.empty())
        time.Report("TimeServer", "is required: NetworkKind " + std::to_string(kind) +
                                      " asks a time server");
    const bool clockFileOption = (c.optionFlags & PLV_OPT_CLOCK_FILE) != 0;
    if (clockFileOption && c.clockFile.empty())
        time.Report("ClockFilePath", "is required by the ClockFile option");
    if (!clockFileOption && !c.clockFile.empty())
        time.Report("ClockFilePath", "is read only with the ClockFile option set");
    time.ReportUnknownKeys();
}

// File names are compared with the name after the path's last backslash.
void ReadProgramList(SectionReader &reader, const char *key, std::vector<std::string> &target) {
    const std::optional<std::string> value = reader.Text(key);
    if (!value) return;
    target = SplitList(*value);
    for (const std::string &name : target) {
        if (name.find_first_of("\\/") != std::string::npos)
            reader.Report(key, "list file names without their directory: " + name);
    }
}

void ReadIgnoreLists(const IniFile &file, AgentConfiguration &c, Problems &problems) {
    SectionReader ignore(file, file.Find("Ignore"), problems);
    ReadProgramList(ignore, "Programs", c.ignoredPrograms);
    if (const auto classes = ignore.Text("Classes")) c.ignoredClasses = SplitList(*classes);
    ReadProgramList(ignore, "DosPrograms", c.ignoredDosPrograms);
    ReadProgramList(ignore, "SixteenBitPrograms", c.ignored16BitPrograms);
    ignore.ReportUnknownKeys();
}

bool IsShareRoot(const std::string &root) {
    if (root.size() < 5 || root.compare(0, 2, "\\\\") != 0) return false;
    const std::size_t separator = root.find('\\', 2);
    return separator != std::string::npos && separator > 2 && separator + 1 < root.size() &&
           root.find('\\', separator + 1) == std::string::npos;
}

void ReadMappings(const IniFile &file, AgentConfiguration &c, Problems &problems) {
    // Where the system has its own drives and shares, a mapping would be
    // silently ignored: the administrator is told instead.
    if (!host::MapsPaths()) {
        for (const char *name : {"Drives", "Shares", "Platform"}) {
            if (const IniSection *section = file.Find(name))
                problems.push_back(
                    file.At(*section, "is for Linux hosts: Windows' own drives and shares are used"));
        }
        return;
    }
    if (const IniSection *drives = file.Find("Drives")) {
        SectionReader reader(file, drives, problems);
        for (const IniKey &key : drives->keys) {
            std::string directory;
            ReadSystemDirectory(reader, key.name.c_str(), directory);
            const char letter = plv::UpperAscii(key.name[0]);  // '\0' for an empty name
            if (key.name.size() != 1 || letter < 'A' || letter > 'Z') {
                problems.push_back(file.At(key, "a drive is named by one letter from A to Z"));
            } else if (!directory.empty()) {
                c.drives.push_back({letter, directory});
            }
        }
    }
    if (const IniSection *shares = file.Find("Shares")) {
        SectionReader reader(file, shares, problems);
        for (const IniKey &key : shares->keys) {
            std::string directory;
            ReadSystemDirectory(reader, key.name.c_str(), directory);
            if (!IsShareRoot(key.name)) {
                problems.push_back(file.At(key, "a share is named \\\\SERVER\\SHARE"));
            } else if (!directory.empty()) {
                c.shares.push_back({key.name, directory});
            }
        }
    }
    SectionReader platform(file, file.Find("Platform"), problems);
    ReadSystemDirectory(platform, "DataDirectory", c.dataDirectory);
    ReadSystemDirectory(platform, "RuntimeDirectory", c.runtimeDirectory);
    platform.ReportUnknownKeys();
}

}  // namespace

void ApplyPlatformSettings(const AgentConfiguration &c) {
    if (!c.dataDirectory.empty()) host::SetDataDirectory(c.dataDirectory);
    if (!c.runtimeDirectory.empty()) host::SetRuntimeDirectory(c.runtimeDirectory);
    for (const DriveMapping &drive : c.drives) host::MapDrive(drive.letter, drive.directory);
    for (const ShareMapping &share : c.shares) host::MapShare(share.root, share.directory);
}

std::vector<std::string> OptionKeysSet(std::uint32_t optionFlags) {
    std::vector<std::string> keys;
    for (const OptionKey &option : kOptionKeys) {
        if ((optionFlags & option.mask) != 0) keys.push_back(option.key);
    }
    return keys;
}

AgentConfiguration DefaultConfiguration() {
    AgentConfiguration c;
    c.workstation = DefaultWorkstation();
    c.user = FittedIdentity(host::LoginName(), kUserRoom);
    c.agentDirectory = WithoutTrailingSeparator(host::AgentPathOf(host::ProgramDirectory()));
    c.updateCountdown = c.updateInterval * 60;
    return c;
}

AgentConfiguration ReadConfiguration(const std::string &path, Problems &problems) {
    AgentConfiguration c = DefaultConfiguration();
    c.source = path;

    const std::optional<IniFile> file =
        IniFile::Open(host::AgentPathOf(host::AbsolutePath(path)), path, problems);
    if (!file) return c;
    for (const IniSection &section : file->sections()) {
        const bool known = std::any_of(kSections.begin(), kSections.end(),
                                       [&](const char *name) { return SameName(section.name, name); });
        if (!known) problems.push_back(file->At(section, "unknown section"));
    }
    ReadMappings(*file, c, problems);
    ApplyPlatformSettings(c);
    ReadAgent(*file, c, problems);
    ReadOptions(*file, c, problems);
    ReadTime(*file, c, problems);
    ReadIgnoreLists(*file, c, problems);
    return c;
}

}  // namespace plvagent
