#include "monitor/window_snapshot.h"

#include <algorithm>

#include "core/library_state.h"
#include "monitor/process_table.h"
#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

struct WindowSnapshotState {
    // The scan the snapshot was taken in; 0: none taken.
    std::uint32_t takenInScan = 0;
    std::vector<SnapshotWindow> windows;  // parentless windows, in enumeration order
    // (process id, position in `windows`), sorted: each process's windows
    // together, in enumeration order. Both vectors keep their room between
    // scans, so that a steady tick allocates nothing.
    std::vector<ProcessWindows::Entry> byProcess;
};

WindowSnapshotState snapshot;

struct ByProcess {
    bool operator()(const ProcessWindows::Entry &entry, DWORD id) const { return entry.first < id; }
};

// The calls the search makes of each window, made once here. A window with
// a parent is never an application's main window and is not kept.
BOOL CALLBACK TakeWindow(HWND window, LPARAM) {
    if (Os().GetParent(window) != nullptr) return TRUE;
    SnapshotWindow &taken = snapshot.windows.emplace_back();
    taken.window = window;
    taken.processId = 0;
    taken.threadId = Os().GetWindowThreadProcessId(window, &taken.processId);
    if (Os().GetWindowTextA(window, taken.title, sizeof taken.title) == 0)
        LeftStr(taken.title, kNoTitle, sizeof taken.title - 1);
    if (Os().GetClassNameA(window, taken.className, sizeof taken.className) == 0)
        LeftStr(taken.className, kNoClass, sizeof taken.className - 1);
    taken.visible = Os().IsWindowVisible(window) != FALSE;
    return TRUE;
}

void TakeSnapshot() {
    snapshot.takenInScan = processTable.scan;
    snapshot.windows.clear();
    Os().EnumWindows(TakeWindow, 0);
    snapshot.byProcess.clear();
    for (std::uint32_t i = 0; i < snapshot.windows.size(); ++i)
        snapshot.byProcess.emplace_back(snapshot.windows[i].processId, i);
    std::sort(snapshot.byProcess.begin(), snapshot.byProcess.end());
}

}  // namespace

ProcessWindows WindowsOfProcess(DWORD processId) {
    if (snapshot.takenInScan != processTable.scan || processTable.scan == 0) TakeSnapshot();
    // Most processes own no window or a few: the end is near the start.
    const auto first = std::lower_bound(snapshot.byProcess.begin(), snapshot.byProcess.end(),
                                        processId, ByProcess{});
    auto last = first;
    while (last != snapshot.byProcess.end() && last->first == processId) ++last;
    return {std::span(first, last), snapshot.windows.data()};
}

void ResetWindowSnapshotState() { snapshot = WindowSnapshotState{}; }

}  // namespace plv
