// The built-in configuration: a working agent on a fresh machine, keeping
// everything below the agent's data directory of the user.
#include "configuration.h"
#include "host_system.h"
#include "plvlib32.h"
#include "seam_files.h"

namespace plvagent {
namespace {

// Where the platform maps drives, the local directory's server part stands
// for a shared drive.
constexpr char kHomeDrive = 'H';
constexpr char kHomePath[] = "H:\\PLV";

}  // namespace

AgentConfiguration EmbeddedConfiguration(const std::string &localDirectory) {
    AgentConfiguration c = DefaultConfiguration();
    c.source = "the built-in configuration";
    if (host::MapsPaths()) {
        c.drives.push_back({kHomeDrive, localDirectory + "/server"});
        c.homePath = kHomePath;
    } else {
        c.homePath = host::AbsolutePath(localDirectory + "/server/PLV");
    }
    c.settingsFile = c.homePath + "\\SYSTEM\\PLV.INI";
    c.optionFlags = PLV_OPT_TRACE | PLV_OPT_UNDEFINED_APPS | PLV_OPT_RECORD_DEFINITIONS;
    return c;
}

bool PrepareLocalDirectory(const AgentConfiguration &configuration,
                           const std::string &localDirectory, std::string *why) {
    // The data directory is the platform's to make, with no access for others.
    if (std::string refused = host::PrepareDataDirectory(); !refused.empty()) {
        *why = std::move(refused);
        return false;
    }
    for (const char *directory : {"/server/PLV/LOGS", "/server/PLV/SYSTEM"}) {
        if (!host::MakeDirectories(localDirectory + directory, why)) return false;
    }
    // A settings file that is missing would count as a lost network at the
    // library's first look after the update interval.
    if (Os().GetFileAttributesA(configuration.settingsFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = AppendToFile(configuration.settingsFile, "[Pelvantine]\r\n");
    if (error != ERROR_SUCCESS) *why = configuration.settingsFile + ": " + ErrorText(error);
    return error == ERROR_SUCCESS;
}

}  // namespace plvagent
