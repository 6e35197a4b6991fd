// DOS programs reported by the Windows 95 DOS driver through the host.
#include <cstring>

#include "core/library_state.h"
#include "monitor/metering_state.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "platform/platform.h"
#include "usage/metered_apps.h"

namespace plv {
namespace {

constexpr DWORD kAnswerStartReport = 3;
constexpr std::size_t kDosPathLimit = 129;

// Admits the DOS program unless it is missing or ignored.
void AdmitDosProgram(HWND dosBox, char *path) {
    if (Os().GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
    Os().OemToCharA(path, path);
    if (IsDOSProgramIgnored(path)) return;

    PLVCandidate candidate{};
    LeftStr(candidate.programPath, path, 284);
    candidate.window = dosBox;
    const PLVAppDefinition *definition = PLVIdentifyApp(&candidate);
    DWORD processId = 0;
    candidate.threadId = Os().GetWindowThreadProcessId(dosBox, &processId);
    candidate.processId = processId;

    if (definition == nullptr && !OptionSet(PLV_OPT_UNDEFINED_APPS)) return;
    PLVMeteredApp *record = AuthorizeApp(dosBox, 1, path);
    if (record == nullptr) return;
    if (ProcessEntry *entry = FindEntry(candidate.processId, 0)) entry->meteredApp = record;
}

}  // namespace

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT int32_t PLVAPI CheckDOSApp(PLVHWND *dosBoxWindow, char *oemPath) {
    oemPath[kDosPathLimit] = '\0';
    AdmitDosProgram(static_cast<HWND>(*dosBoxWindow), oemPath);
    // The driver waits for an answer to every start report.
    DWORD answer = 0;
    DWORD returned = 0;
    return Os().DeviceIoControl(metering.driver, kAnswerStartReport, &answer, sizeof answer, nullptr,
                                0, &returned, nullptr);
}

extern "C" PLV_EXPORT void PLVAPI RemoveDOSApp(PLVHWND dosBoxWindow) {
    if (dosBoxWindow == nullptr) return;
    auto *record = static_cast<PLVMeteredApp *>(Runtime().meteredApps);
    while (record != nullptr &&
           !(record->window == dosBoxWindow && (record->flags & PLV_APP_DOS) != 0)) {
        record = static_cast<PLVMeteredApp *>(record->next);
    }
    if (record == nullptr) return;
    for (auto *entry = static_cast<ProcessEntry *>(processTable.head); entry != nullptr;
         entry = static_cast<ProcessEntry *>(entry->next)) {
        if (entry->meteredApp == record) {
            entry->meteredApp = nullptr;
            break;
        }
    }
    PLVRemoveApp(record);
}
