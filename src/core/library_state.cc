#include "core/library_state.h"

namespace plv {

CoreState core;

void ResetCoreState() { core = CoreState{}; }

}  // namespace plv
