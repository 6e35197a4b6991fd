#include "monitor/monitor_test.h"

#include <cstring>

#include "support/log_records.h"
#include "monitor/process_table.h"

namespace plv::testing {
namespace {

std::string Directory(const std::string &path) { return path.substr(0, path.find_last_of('\\')); }

}  // namespace

MonitorTest::MonitorTest(DWORD platformId) {
    fake.version.platformId = platformId;
    InstallCompanions(fake);
    agent.optionFlags = PLV_OPT_TRACE;
    fake.files.files[runtime.settingsFilePath];  // the host's settings file
    Initialize();
    BindProcessEnumeration(core.platformCode);
}

void MonitorTest::StartProcess(DWORD processId, const std::string &path, bool virtualDosMachine) {
    World().processes.push_back({processId, path, virtualDosMachine});
    fake.files.directories.insert(Directory(path));
    fake.files.files[path];
}

void MonitorTest::EndProcess(DWORD processId) {
    std::erase_if(World().processes, [processId](const auto &p) { return p.id == processId; });
    std::erase_if(fake.windows, [processId](const auto &w) { return w.processId == processId; });
}

HWND MonitorTest::OpenWindow(DWORD processId, const std::string &title, const std::string &className,
                             bool visible, DWORD threadId) {
    FakePlatform::Window window;
    window.processId = processId;
    window.threadId = threadId;
    window.title = title;
    window.className = className;
    window.visible = visible;
    return fake.AddWindow(window);
}

void MonitorTest::Define(const std::string &fileName) {
    PLVAppDefinition definition{};
    definition.kind = 1;
    LeftStr(definition.fileName, fileName.c_str(), 12);
    PLVAppendToList(&runtime.definitions, &definition, sizeof definition);
}

void MonitorTest::Tick() {
    fake.AdvanceSeconds(1);
    Timer1_Timer(nullptr, WM_TIMER, 2, 0);
}

std::vector<std::string> MonitorTest::LogLines(const std::string &day) const {
    const FakePlatform::File *file = fake.FindFile("F:\\PLV\\LOGS\\" + day + ".LOG");
    if (file == nullptr) return {};
    const auto log = logs::ParseLogFile(file->data);
    EXPECT_TRUE(log && log->skippedBytes == 0);
    std::vector<std::string> lines;
    for (const auto &record : log->records) lines.push_back(record.line);
    return lines;
}

std::vector<std::string> MonitorTest::LoggedEvents(const std::string &day) const {
    std::vector<std::string> events;
    for (const std::string &line : LogLines(day)) {
        const auto fields = SplitFields(line);
        events.push_back(fields.at(7) + " " + fields.at(6));
    }
    return events;
}

std::size_t MonitorTest::TableSize() const {
    std::size_t count = 0;
    for (void *node = processTable.head; node; node = static_cast<ProcessEntry *>(node)->next) ++count;
    return count;
}

std::size_t MonitorTest::MeteredCount() const {
    std::size_t count = 0;
    for (void *node = runtime.meteredApps; node; node = static_cast<PLVMeteredApp *>(node)->next) ++count;
    return count;
}

}  // namespace plv::testing
