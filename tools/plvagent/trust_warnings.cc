#include "trust_warnings.h"

#include "host_system.h"

namespace plvagent {
namespace {

constexpr char kRunsPrograms[] =
    "whoever may change it runs programs as every user the agent meters";
constexpr char kChoosesPrograms[] =
    "whoever may change it chooses the home path and so the programs the agent starts";
constexpr char kDecidesMetering[] = "whoever may change it decides what the agent meters";

// A file the agent trusts, and with it the directory it is found in.
struct Trusted {
    const char *kind;
    std::string shown;      // as the administrator named it
    std::string agentPath;  // where it is, in the agent's form
    const char *because;    // what another user could do with it
};

// The directory of a path: H:\PLV for H:\PLV\agent.ini, H:\ for H:\agent.ini, / for /agent.ini.
std::string DirectoryOf(const std::string &path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    const std::string directory = path.substr(0, separator);
    return directory.empty() || directory.back() == ':' ? directory + path[separator] : directory;
}

}  // namespace

std::vector<std::string> TrustWarnings(const AgentConfiguration &c,
                                       const std::optional<std::string> &configurationFile) {
    const std::string mifGenerator = c.homePath + "\\SYSTEM\\PLVMIFG.EXE";
    const std::string sixteenBitAgent = c.agentDirectory + "\\PLVWOW16.EXE";
    std::vector<Trusted> trusted = {
        {"MIF generator", mifGenerator, mifGenerator, kRunsPrograms},
        {"16-bit agent", sixteenBitAgent, sixteenBitAgent, kRunsPrograms},
    };
    if (configurationFile) {
        trusted.push_back({"configuration file", host::AbsolutePath(*configurationFile),
                           host::AgentPathOf(host::AbsolutePath(*configurationFile)),
                           kChoosesPrograms});
    }
    if (!c.definitionsFile.empty())
        trusted.push_back(
            {"definitions file", c.definitionsShownName, c.definitionsFile, kDecidesMetering});

    std::vector<std::string> warnings;
    for (const Trusted &item : trusted) {
        const std::string kind = item.kind;
        if (const std::string others = host::OthersWhoMayChange(item.agentPath); !others.empty())
            warnings.push_back("the " + kind + " " + item.shown + " " + others + ": " +
                               item.because);
        if (const std::string others = host::OthersWhoMayChange(DirectoryOf(item.agentPath));
            !others.empty())
            warnings.push_back("the directory of the " + kind + ", " + DirectoryOf(item.shown) +
                               ", " + others + ": " + item.because);
    }
    return warnings;
}

}  // namespace plvagent
