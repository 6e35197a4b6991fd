#include "monitor/process_scan.h"

#include <cstring>

#include "core/display.h"
#include "core/library_state.h"
#include "monitor/app_filter.h"
#include "monitor/main_window.h"
#include "monitor/metering_state.h"
#include "monitor/process_snapshot.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "monitor/window_snapshot.h"
#include "platform/platform.h"

namespace plv {
namespace {

constexpr char kNoWindow[] = "(no window)";
constexpr char kNoPath[] = "(none)";
constexpr DWORD kPathLimit = 284;

template <std::size_t Width>
void Put(char (&field)[Width], const char *text) {
    LeftStr(field, text, Width - 1);
}

void TraceEntryAdded(const ProcessEntry &entry) {
    Trace("Process added");
    Trace("   Process:  Title = %s, Path = %s, ID = %x, hWnd = %i", entry.title, entry.programPath,
          DisplayId(entry.processId, entry.threadId), static_cast<int>(HandleNumber(entry.window)));
}

// The entries of a virtual DOS machine's 16-bit tasks, each its own process.
void ExamineSixteenBitTasks(DWORD processId) {
    if (core.scanAbort || sixteenBit.getNext16BitTask == nullptr) return;
    char taskName[300];
    DWORD taskThread = 1;
    int tasks = 0;
    bool first = true;
    while (sixteenBit.getNext16BitTask(processId, taskName, &taskThread, first)) {
        first = false;
        if (core.scanAbort) return;
        if (!Is16BitProgramIgnored(taskName)) {
            ExamineProcess(taskName, processId, taskThread);
            ++tasks;
        }
    }
    if (processId != sixteenBit.agentProcessId && tasks == 0 && taskThread != 0) {
        sixteenBit.terminate16BitAgent(processId, 0);
    }
}

// An entry met again is looked at only while it waits for a window or a
// title; most entries, steady ones, cost no more than this test.
bool WaitsForWindowOrTitle(const ProcessEntry &entry) {
    return (entry.flags & (kEntryVirtualDosMachine | kEntryIgnored)) == 0 && entry.meteredApp == nullptr &&
           (std::strcmp(entry.title, kNoWindow) == 0 || std::strcmp(entry.title, kNoTitle) == 0);
}

// Looks for the waiting entry's window or title, and admits it once it has one.
void UpdateEntry(ProcessEntry *entry, PLVCandidate *candidate) {
    candidate->window = entry->window;
    if (candidate->window == nullptr) {
        SearchMainWindow(candidate);
    } else {
        HWND window = static_cast<HWND>(candidate->window);
        Os().GetWindowTextA(window, candidate->title, 64);
        if (candidate->title[0] == '\0') {
            if (!Os().IsWindow(window)) {
                entry->window = nullptr;
                candidate->window = nullptr;
                Put(entry->title, kNoWindow);
            } else {
                Put(candidate->title, kNoTitle);
            }
        }
    }
    if (candidate->window == nullptr || std::strcmp(candidate->title, entry->title) == 0) return;

    Put(entry->title, candidate->title);
    Trace("Add title to window: <%s> ID = %08x, hWnd = %04x", entry->title,
          DisplayId(entry->processId, entry->threadId), HandleNumber(candidate->window));
    entry->window = static_cast<HWND>(candidate->window);
    Put(candidate->programPath, entry->programPath);
    entry->meteredApp = IsAppAuthorized(candidate->processId, candidate->threadId);
    if (entry->meteredApp == nullptr) entry->meteredApp = AdmitCandidate(candidate);
}

void AddEntry(PLVCandidate *candidate, bool ignored) {
    ProcessEntry entry{};
    entry.processId = candidate->processId;
    entry.threadId = candidate->threadId;
    entry.window = static_cast<HWND>(candidate->window);
    Put(entry.programPath, candidate->programPath);
    LeftStr(entry.title, candidate->title, 63);
    entry.seenInScan = processTable.scan;  // counted when it joins the table
    entry.flags = (ignored ? kEntryIgnored : 0) |
                  (candidate->virtualDosMachine ? kEntryVirtualDosMachine : 0);

    if (candidate->window == nullptr && !ignored) {
        // A known program is examined afresh on every scan until it has a window.
        if (IsKnownProgram(candidate)) return;
    } else if (!candidate->virtualDosMachine) {
        entry.meteredApp = IsAppAuthorized(candidate->processId, candidate->threadId);
        if (entry.meteredApp == nullptr && candidate->window != nullptr && !ignored)
            entry.meteredApp = AdmitCandidate(candidate);
    }
    if (ProcessEntry *added = AppendEntry(entry)) TraceEntryAdded(*added);
}

bool ScanWindows95() {
    return WalkProcessSnapshot([](const PROCESSENTRY32 &process) {
        if (process.th32ProcessID != core.ownProcessId)
            ExamineProcess(process.szExeFile, process.th32ProcessID, 0);
        return true;
    });
}

}  // namespace

void ShortenProgramPath(char (&path)[285]) {
    const DWORD length = Os().GetShortPathNameA(path, path, kPathLimit);
    if (length == 0 || length > kPathLimit) Put(path, kNoPath);
}

bool ScanProcesses() {
    StartScan();
    switch (core.platformCode) {
    case kPlatformWindows95:
        return metering.createToolhelp32Snapshot != nullptr && ScanWindows95();
    case kPlatformNT:
        if (metering.resetNTProcessList == nullptr || !metering.resetNTProcessList()) return false;
        while (!core.scanAbort) {
            const DWORD processId = metering.getNextProcessID();
            if (processId == 0) break;
            ExamineProcess(nullptr, processId, 0);
        }
        return true;
    default:
        return true;
    }
}

void ExamineProcess(const char *programName, DWORD processId, DWORD threadId) {
    if (core.scanAbort) return;

    if (ProcessEntry *entry = FindEntry(processId, threadId)) {
        MarkSeen(entry);
        if (WaitsForWindowOrTitle(*entry)) {
            PLVCandidate candidate{};
            candidate.processId = processId;
            candidate.threadId = threadId;
            UpdateEntry(entry, &candidate);
        }
        if (entry->flags & kEntryVirtualDosMachine) ExamineSixteenBitTasks(processId);
        return;
    }

    PLVCandidate candidate{};
    candidate.processId = processId;
    candidate.threadId = threadId;

    bool ignored = false;
    if (programName != nullptr) {
        Put(candidate.programPath, programName);
        ShortenProgramPath(candidate.programPath);
    } else if (core.platformCode == kPlatformNT) {
        if (metering.getProcessExePath(processId, candidate.programPath,
                                       &candidate.virtualDosMachine)) {
            ShortenProgramPath(candidate.programPath);
        } else {
            Put(candidate.programPath, kNoPath);
            ignored = true;
        }
    } else {
        Put(candidate.programPath, kNoPath);
    }
    Put(candidate.title, kNoWindow);
    Put(candidate.className, kNoClass);

    if (!ignored) ignored = IsFilteredApp(&candidate) != 0;
    if (!ignored) SearchMainWindow(&candidate);
    AddEntry(&candidate, ignored);
}

}  // namespace plv
