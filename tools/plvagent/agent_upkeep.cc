#include "agent_upkeep.h"

#include <filesystem>
#include <system_error>

#include "definitions.h"
#include "host_system.h"
#include "messages.h"
#include "plvlib32.h"
#include "restart_settings.h"

namespace plvagent {
namespace {

std::string Events(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " event" : " events");
}

std::string Joined(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

void Tell(const Report &report) {
    if (report.priority == Priority::kWarning) {
        Warn(report.text);
    } else {
        Inform(report.text);
    }
}

}  // namespace

AgentUpkeep::AgentUpkeep(const AgentConfiguration &running,
                         std::optional<std::string> configurationFile, HostRecords &records,
                         const std::string &spoolPath)
    : running_(running),
      configurationFile_(std::move(configurationFile)),
      records_(records),
      spool_(spoolPath),
      backlog_(records.runtime().homePath),
      dataDirectory_(host::DataDirectory()),
      runtimeDirectory_(host::RuntimeDirectory()) {}

void AgentUpkeep::PutBackSpooledEvents() {
    std::vector<std::string> bad;
    const std::vector<SpooledEvent> events = spool_.Read(&bad);
    if (!bad.empty()) {
        // The next spool leaves out what could not be read: it is kept aside.
        const std::string aside = spool_.path() + ".damaged";
        std::error_code ignored;
        std::filesystem::copy_file(spool_.path(), aside,
                                   std::filesystem::copy_options::overwrite_existing, ignored);
        for (const std::string &problem : bad)
            Warn(spool_.path() + ": " + problem + "; kept in " + aside);
    }
    if (events.empty()) return;
    const std::size_t putBack = PutBackPending(events);
    Inform("put back " + Events(putBack) + " that the last run left pending, from " +
           spool_.path());
    RetrySharedLog();
}

void AgentUpkeep::AfterCycle() {
    if (host::TakeReloadRequest()) Reload();
    const std::size_t held = HeldEvents(records_.runtime().pendingEvents);
    for (const Report &report : backlog_.AfterCycle(held, GetFileError())) Tell(report);
    if (held > 0) RetrySharedLog();
    KeepSpool();
}

void AgentUpkeep::AtStop() {
    const std::size_t held = HeldEvents(records_.runtime().pendingEvents);
    std::string why;
    if (!spool_.Keep(PendingEvents(records_.runtime().pendingEvents), &why)) {
        Say(Events(held) + " not yet written are lost: the spool cannot be written: " + why);
    } else if (held > 0) {
        Warn("stopping with " + Events(held) + " not yet written, kept in " + spool_.path() +
             " for the next start");
    }
}

void AgentUpkeep::KeepSpool() {
    std::string why;
    if (spool_.Keep(PendingEvents(records_.runtime().pendingEvents), &why)) {
        if (spoolFailureReported_)
            Inform("the spool of pending events is written again: " + spool_.path());
        spoolFailureReported_ = false;
        return;
    }
    if (!spoolFailureReported_)
        Warn("the spool of pending events cannot be written: " + why +
             "; events held now would be lost at a crash");
    spoolFailureReported_ = true;
}

void AgentUpkeep::Reload() {
    if (!configurationFile_) {
        Inform("reload asked for: the built-in configuration has nothing to re-read");
        return;
    }
    Problems problems;
    const AgentConfiguration reread = ReadConfiguration(*configurationFile_, problems);
    // Reading set the file's drives and directories: the running ones
    // hold until the next start.
    host::ForgetMappings();
    ApplyPlatformSettings(running_);
    host::SetDataDirectory(dataDirectory_);
    host::SetRuntimeDirectory(runtimeDirectory_);

    DefinitionList definitions;
    if (problems.empty() && !reread.definitionsFile.empty())
        definitions =
            ReadDefinitions(reread.definitionsFile, reread.definitionsShownName, problems);
    if (!problems.empty()) {
        for (const Problem &problem : problems) Say(Describe(problem));
        Warn("nothing was reloaded: the definitions and settings in use stay");
        return;
    }
    const std::size_t count = definitions.nodes().size();
    records_.ReplaceLists(reread, std::move(definitions));
    Inform("reloaded " + *configurationFile_ + ": " + std::to_string(count) + " definitions" +
           (reread.definitionsFile.empty() ? "" : " from " + reread.definitionsShownName) +
           " and the ignore lists in use from the next cycle on");
    const std::vector<std::string> waiting = SettingsWaitingForRestart(running_, reread);
    if (!waiting.empty())
        Warn("changed settings take effect only at the next start: " + Joined(waiting));
}

}  // namespace plvagent
