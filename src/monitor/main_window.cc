#include "monitor/main_window.h"

#include "core/display.h"
#include "monitor/process_table.h"
#include "monitor/window_snapshot.h"

namespace plv {
namespace {

// Looks through the process's windows once, taking visible ones only while
// the candidate says so.
bool AcceptFirstQualifying(const ProcessWindows &windows, PLVCandidate *candidate) {
    for (const SnapshotWindow &window : windows) {
        if (candidate->threadId != 0 && window.threadId != candidate->threadId) continue;
        LeftStr(candidate->title, window.title, sizeof candidate->title - 1);
        LeftStr(candidate->className, window.className, sizeof candidate->className - 1);
        if (IsFilteredApp(candidate) == 0 && (!candidate->visibleOnly || window.visible)) {
            candidate->window = window.window;
            Trace("Found hWnd %04x", HandleNumber(window.window));
            return true;
        }
        LeftStr(candidate->title, "(no window)", sizeof candidate->title - 1);
        LeftStr(candidate->className, "(no class)", sizeof candidate->className - 1);
    }
    return false;
}

void SearchSnapshot(PLVCandidate *candidate) {
    const ProcessWindows windows = WindowsOfProcess(candidate->processId);
    candidate->window = nullptr;
    candidate->visibleOnly = 1;
    if (AcceptFirstQualifying(windows, candidate)) return;
    candidate->visibleOnly = 0;
    AcceptFirstQualifying(windows, candidate);
}

MainWindowSearch search = SearchSnapshot;

}  // namespace

void SearchMainWindow(PLVCandidate *candidate) { search(candidate); }

MainWindowSearch SetMainWindowSearch(MainWindowSearch replacement) {
    const MainWindowSearch previous = search;
    search = replacement != nullptr ? replacement : SearchSnapshot;
    return previous;
}

}  // namespace plv
