#include "start_report.h"

#include "build_identity.h"
#include "host_system.h"
#include "messages.h"

namespace plvagent {

StartReport DescribeStart(const LoadedAgent &loaded,
                          const std::optional<std::string> &configurationFile) {
    const std::string display = host::DisplayName();
    StartReport report;
    report.line = "starting " + BuildIdentity() + ": configuration " +
                  configurationFile.value_or(loaded.configuration.source) + ", " +
                  std::to_string(loaded.definitions.nodes().size()) + " definitions, shared log " +
                  SharedLogDirectory(loaded.configuration) + ", display " +
                  (display.empty() ? "none" : display);
    report.warnings = CheckHomePath(loaded.configuration);
    if (const std::optional<std::string> problem = host::DisplayProblem())
        report.warnings.push_back(*problem);
    return report;
}

void Tell(const StartReport &report) {
    Inform(report.line);
    for (const std::string &warning : report.warnings) Warn(warning);
}

}  // namespace plvagent
