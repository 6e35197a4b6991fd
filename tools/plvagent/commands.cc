#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "agent_run.h"
#include "agent_setup.h"
#include "host_system.h"
#include "messages.h"
#include "seam_files.h"
#include "session.h"
#include "start_report.h"
#include "trust_warnings.h"

namespace plvagent {
namespace {

void SayAll(const Problems &problems) {
    for (const Problem &problem : problems) Say(Describe(problem));
}

// The trace display's lines, on the terminal or appended to a file, each
// written out at once so a reader sees the agent as it goes.
std::shared_ptr<std::FILE> OpenTraceOutput(const std::optional<std::string> &traceFile) {
    if (!traceFile) return std::shared_ptr<std::FILE>(stdout, [](std::FILE *) {});
    std::FILE *file = std::fopen(traceFile->c_str(), "a");
    if (file == nullptr) return nullptr;
    return std::shared_ptr<std::FILE>(file, &std::fclose);
}

}  // namespace

int Run(const RunCommand &command) {
    Problems problems;
    const std::optional<std::string> configurationFile =
        LocateConfiguration(command.configurationFile);
    std::optional<LoadedAgent> loaded = LoadAgent(configurationFile, problems);
    if (!loaded) {
        SayAll(problems);
        return kNotConfigured;
    }
    const std::shared_ptr<std::FILE> trace = OpenTraceOutput(command.traceFile);
    if (!trace) {
        Say(*command.traceFile + ": cannot be opened for the trace: " + std::strerror(errno));
        return kNotConfigured;
    }
    // Two agents of one session would meter everything twice.
    const std::string session = SessionName(host::HostName(), host::DisplayName());
    SessionLock lock;
    std::string why;
    if (!lock.Take(host::RuntimeDirectory(), session, &why)) {
        Say("not started: " + why);
        return kNotStarted;
    }
    StartReport start = DescribeStart(*loaded, configurationFile);
    for (std::string &warning : TrustWarnings(loaded->configuration, configurationFile))
        start.warnings.push_back(std::move(warning));
    Tell(start);

    HostRecords records(loaded->configuration, std::move(loaded->definitions));
    RunOptions options{command.cycles,
                       [trace](const std::string &line) {
                           std::fprintf(trace.get(), "%s\n", line.c_str());
                           std::fflush(trace.get());
                       },
                       configurationFile,
                       host::DataDirectory() + "/pending-" + session + ".events"};
    return RunAgent(loaded->configuration, records, options);
}

int CheckConfiguration(const std::optional<std::string> &namedFile) {
    Problems problems;
    const std::optional<std::string> configurationFile = LocateConfiguration(namedFile);
    const std::optional<LoadedAgent> loaded = LoadAgent(configurationFile, problems);
    if (!loaded) {
        SayAll(problems);
        return kNotConfigured;
    }
    for (const std::string &line : Summary(*loaded)) std::printf("%s\n", line.c_str());
    for (const std::string &warning : CheckHomePath(loaded->configuration)) Warn(warning);
    for (const std::string &warning : TrustWarnings(loaded->configuration, configurationFile))
        Warn(warning);
    return 0;
}

int ImportDefs(const ImportCommand &command) {
    Problems problems;
    std::string target;
    std::string targetShown;
    if (command.definitionsFile) {
        target = host::AgentPathOf(host::AbsolutePath(*command.definitionsFile));
        targetShown = *command.definitionsFile;
    } else if (command.configurationFile) {
        const std::optional<LoadedAgent> loaded = LoadAgent(command.configurationFile, problems);
        if (loaded && loaded->configuration.definitionsFile.empty())
            problems.push_back({*command.configurationFile, 0, "Definitions", "names no definitions file"});
        if (loaded) {
            target = loaded->configuration.definitionsFile;
            targetShown = loaded->configuration.definitionsShownName;
        }
    }

    // What the target holds already is neither named nor defined twice.
    std::vector<std::string> names;
    std::vector<std::string> fileNames;
    if (!target.empty() && Os().GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const DefinitionList existing = ReadDefinitions(target, targetShown, problems);
        for (const PLVAppDefinition &definition : existing.nodes()) {
            names.push_back(DefinitionName(definition));
            if (definition.fileName[0] != '\0') {
                fileNames.push_back(definition.fileName);
            } else if (definition.classText[0] != '\0') {
                fileNames.push_back(definition.classText);  // a long name promoted by class
            }
        }
    }
    std::vector<DefFile> files;
    for (const std::string &path : command.defFiles) {
        DWORD error = 0;
        const auto content = ReadWholeFile(host::AgentPathOf(host::AbsolutePath(path)), &error);
        if (!content) problems.push_back({path, 0, {}, "cannot be read: " + ErrorText(error)});
        files.push_back({path, content.value_or("")});
    }
    if (!problems.empty()) {
        SayAll(problems);
        return kNotConfigured;
    }

    const ImportResult result = ImportDefinitions(files, command.stored, command.options, names, fileNames);
    for (const std::string &skipped : result.skipped) Inform("skipped " + skipped);
    if (target.empty()) {
        std::printf("%s", result.sections.c_str());
        return 0;
    }
    if (!result.sections.empty()) {
        if (const DWORD error = AppendToFile(target, result.sections); error != ERROR_SUCCESS) {
            Say(targetShown + ": cannot be written: " + ErrorText(error));
            return kNotConfigured;
        }
    }
    for (const std::string &imported : result.imported)
        Inform("imported " + imported + " into " + targetShown);
    return 0;
}

}  // namespace plvagent
