// plvagent: the host program of the metering agent. It owns the agent's
// records and its window, and drives the library through its exports.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "agent_run.h"
#include "build_identity.h"
#include "commands.h"
#include "stored_candidates.h"

int main(int argc, char **argv) {
    CLI::App app{"plvagent: the Pelvantine workstation agent, which meters the applications used"
                 " on this workstation into the log files of a shared home directory"};
    app.set_version_flag("--version", "plvagent " + plvagent::BuildIdentity());
    app.require_subcommand(0, 1);

    plvagent::RunCommand run;
    CLI::App *runCommand = app.add_subcommand(
        "run", "Meter applications until stopped (the default command): SIGINT or SIGTERM stop it cleanly");
    runCommand->add_option("-c,--config", run.configurationFile,
                           "Configuration file; without one, $XDG_CONFIG_HOME/plvagent/agent.ini, "
                           "else /etc/plvagent/agent.ini, else the built-in configuration");
    runCommand->add_option("--cycles", run.cycles, "Stop after this many timer cycles (one a second)")
        ->check(CLI::Range(1u, 0xFFFFFFFFu));
    runCommand->add_option("--trace-file", run.traceFile,
                           "Append the trace display to this file instead of showing it here");

    std::optional<std::string> checkedFile;
    CLI::App *checkCommand = app.add_subcommand(
        "check-config", "Read the configuration and the definitions, report every problem, "
                        "and show what the agent would use");
    checkCommand->add_option("-c,--config", checkedFile,
                             "Configuration file (default: looked up as for run)");

    plvagent::ImportCommand import;
    CLI::App *importCommand = app.add_subcommand(
        "import-defs", "Turn lines of the day's definition files (YYYYMMDD.DEF) into definitions");
    std::optional<std::string> database;
    importCommand->add_option("files", import.defFiles, "Definition files to read");
    importCommand->add_option(
        "--db", database, "Also take the definition lines imported into this report database (plvreport --db)");
    importCommand->add_option("--min-workstations", import.options.minWorkstations,
                              "Only programs recorded on at least this many workstations (default 1)")
        ->check(CLI::Range(1u, 0xFFFFFFFFu));
    CLI::Option *config = importCommand->add_option(
        "-c,--config", import.configurationFile, "Append to the definitions file of this configuration");
    importCommand
        ->add_option("-d,--definitions", import.definitionsFile,
                     "Append to this definitions file (without either, print the definitions)")
        ->excludes(config);
    importCommand->add_option("-p,--program", import.options.programs,
                              "Import only this program file name (repeatable)");
    importCommand->add_flag("--exact", import.options.exact,
                            "Also require the recorded directory, size, date, version and language");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        // --help and --version end here too, with 0; a usage error with 2.
        return app.exit(error) == 0 ? 0 : plvagent::kUsageError;
    }

    if (checkCommand->parsed()) return plvagent::CheckConfiguration(checkedFile);
    if (importCommand->parsed()) {
        if (!database && import.defFiles.empty()) {
            std::fprintf(stderr, "import-defs: give definition files, or --db\n");
            return plvagent::kUsageError;
        }
        if (database) {
            std::string why;
            auto stored = plvagent::StoredCandidates(*database, &why);
            if (!stored) {
                std::fprintf(stderr, "import-defs: %s: %s\n", database->c_str(), why.c_str());
                return plvagent::kNotConfigured;
            }
            import.stored = std::move(*stored);
        }
        return plvagent::ImportDefs(import);
    }
    return plvagent::Run(run);
}
