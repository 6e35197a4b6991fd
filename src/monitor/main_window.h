// The main-window search of a process the scan examines: among its
// parentless windows in enumeration order, the first visible one whose class
// is not ignored; only when none is visible, the first whose class is not
// ignored.
#pragma once

#include "plvlib32.h"

namespace plv {

// Fills the candidate's window, title and class from the window found, or
// leaves it without a window ("(no window)", "(no class)").
void SearchMainWindow(PLVCandidate *candidate);

// The search the scan makes. Tests put a search of the same rule made with
// an enumeration per process in its place, to prove the two alike; null
// restores the snapshot search. Returns the search replaced.
using MainWindowSearch = void (*)(PLVCandidate *candidate);
MainWindowSearch SetMainWindowSearch(MainWindowSearch search);

}  // namespace plv
