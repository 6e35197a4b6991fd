// plvagent: the host program of the metering agent. It owns the agent's
// records and its window, and drives the library through its exports.
#include <CLI/CLI.hpp>

#include "commands.h"

int main(int argc, char **argv) {
    CLI::App app{"plvagent: the Pelvantine workstation agent, which meters the applications used"
                 " on this workstation into the log files of a shared home directory"};
    app.set_version_flag("--version", "plvagent " PLVAGENT_VERSION);
    app.require_subcommand(0, 1);

    plvagent::RunCommand run;
    CLI::App *runCommand = app.add_subcommand(
        "run", "Meter applications until stopped (the default command): SIGINT or SIGTERM stop it cleanly");
    runCommand->add_option("-c,--config", run.configurationFile,
                           "Configuration file; without one the built-in configuration keeps "
                           "everything below ./plvagent-data");
    runCommand->add_option("--cycles", run.cycles, "Stop after this many timer cycles (one a second)")
        ->check(CLI::Range(1u, 0xFFFFFFFFu));
    runCommand->add_option("--trace-file", run.traceFile,
                           "Append the trace display to this file instead of showing it here");

    std::optional<std::string> checkedFile;
    CLI::App *checkCommand = app.add_subcommand(
        "check-config", "Read the configuration and the definitions, report every problem, "
                        "and show what the agent would use");
    checkCommand->add_option("-c,--config", checkedFile, "Configuration file (default: built-in)");

    plvagent::ImportCommand import;
    CLI::App *importCommand = app.add_subcommand(
        "import-defs", "Turn lines of the day's definition files (YYYYMMDD.DEF) into definitions");
    importCommand->add_option("files", import.defFiles, "Definition files to read")->required();
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

    CLI11_PARSE(app, argc, argv);

    if (checkCommand->parsed()) return plvagent::CheckConfiguration(checkedFile);
    if (importCommand->parsed()) return plvagent::ImportDefs(import);
    return plvagent::Run(run);
}
