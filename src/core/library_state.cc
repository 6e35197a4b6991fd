#include "core/library_state.h"

#include "core/display.h"

namespace plv {

CoreState core;

void ResetCoreState() { core = CoreState{}; }

void ResetLibraryState() {
    ResetCoreState();
    ResetDisplayState();
}

}  // namespace plv
