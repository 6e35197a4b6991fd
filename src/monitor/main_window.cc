#include <cstring>

#include "core/display.h"
#include "monitor/process_scan.h"
#include "monitor/process_table.h"
#include "platform/platform.h"

namespace plv {
namespace {

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM parameter) {
    auto *candidate = reinterpret_cast<PLVCandidate *>(parameter);
    if (Os().GetParent(window) != nullptr) return TRUE;
    DWORD processId = 0;
    const DWORD threadId = Os().GetWindowThreadProcessId(window, &processId);
    if (processId != candidate->processId ||
        (candidate->threadId != 0 && threadId != candidate->threadId)) {
        return TRUE;
    }
    if (Os().GetWindowTextA(window, candidate->title, 64) == 0) LeftStr(candidate->title, "(no title)", 63);
    if (Os().GetClassNameA(window, candidate->className, 129) == 0)
        LeftStr(candidate->className, "(no class)", 128);
    if (IsFilteredApp(candidate) == 0 && (!candidate->visibleOnly || Os().IsWindowVisible(window))) {
        candidate->window = window;
        Trace("Found hWnd %04x", HandleNumber(window));
        return FALSE;
    }
    LeftStr(candidate->title, "(no window)", 63);
    LeftStr(candidate->className, "(no class)", 128);
    return TRUE;
}

}  // namespace

void SearchMainWindow(PLVCandidate *candidate) {
    candidate->window = nullptr;
    candidate->visibleOnly = 1;
    Os().EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(candidate));
    if (candidate->window != nullptr) return;
    candidate->visibleOnly = 0;
    Os().EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(candidate));
}

}  // namespace plv
