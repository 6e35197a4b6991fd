// Window-creation notifications forwarded by the host: an application can be
// admitted before the next scan, and a running scan can be aborted.
#include <cstdint>
#include <cstring>

#include "core/library_state.h"
#include "monitor/metering_state.h"
#include "monitor/process_scan.h"
#include "monitor/process_snapshot.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "platform/platform.h"
#include "usage/metered_apps.h"

namespace plv {
namespace {

// Takes the executable's name from a process snapshot (Windows 95 family).
void SnapshotProgramPath(DWORD processId, char (&path)[285]) {
    if (metering.createToolhelp32Snapshot == nullptr) return;
    WalkProcessSnapshot([&](const PROCESSENTRY32 &process) {
        if (process.th32ProcessID != processId) return true;
        LeftStr(path, process.szExeFile, 284);
        return false;
    });
}

void WindowCreated(const PLVHookRecord &record) {
    char title[64], className[129], path[285];
    LeftStr(title, record.title, 63);
    LeftStr(className, record.className, 128);
    LeftStr(path, record.programPath, 284);
    HWND window = static_cast<HWND>(record.window);
    DWORD processId = 0;
    DWORD threadId = Os().GetWindowThreadProcessId(window, &processId);

    if (record.is16Bit != 0 && core.platformCode == kPlatformNT) {
        if (sixteenBit.getNext16BitTask == nullptr) return;
        DWORD count = 0;
        if (!sixteenBit.get16BitHookData(window, path, &count)) return;
    } else {
        threadId = 0;
    }
    if (core.platformCode == kPlatformWindows95 && path[0] == '\0') SnapshotProgramPath(processId, path);

    PLVCandidate candidate{};
    candidate.window = window;
    candidate.processId = processId;
    candidate.threadId = threadId;
    LeftStr(candidate.className, className, 128);
    LeftStr(candidate.title, title, 63);
    LeftStr(candidate.programPath, path, 284);
    ShortenProgramPath(candidate.programPath);

    if (IsFilteredApp(&candidate) || IsAppAuthorized(processId, threadId) != nullptr) return;
    // A known application is left to the next scan.
    if (PLVIdentifyApp(&candidate) != nullptr) return;
    if (!OptionSet(PLV_OPT_UNDEFINED_APPS) || stristr(candidate.programPath, "USER.EXE") != nullptr)
        return;
    PLVMeteredApp *metered = AuthorizeApp(window, 0, candidate.programPath);
    if (metered == nullptr) return;
    if (ProcessEntry *entry = FindEntry(processId, threadId)) {
        entry->meteredApp = metered;
        entry->window = window;
    }
}

}  // namespace

}  // namespace plv

using namespace plv;

// An abort reads nothing but the code. The byte count is trusted over the
// record's layout only where the record is read: a window notification
// shorter than a hook record is ignored, never read past.
extern "C" PLV_EXPORT int32_t PLVAPI NotifyHook(uintptr_t, const PLVCopyData *descriptor) {
    if (descriptor == nullptr || descriptor->record == nullptr) return 0;
    std::uint32_t code = 0;
    std::memcpy(&code, descriptor->record, sizeof code);
    if (code == PLV_HOOK_ABORT_SCAN) {
        core.scanAbort = true;
    } else if (code == PLV_HOOK_WINDOW_CREATED && descriptor->byteCount >= sizeof(PLVHookRecord)) {
        PLVHookRecord record;
        std::memcpy(&record, descriptor->record, sizeof record);
        WindowCreated(record);
    }
    return 0;
}
