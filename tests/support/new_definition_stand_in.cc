// TEMPORARY STAND-IN for the definition writer's RecordNewAppDef, which is
// built on another branch; delete this file (and its two CMake lines) when
// that branch is merged. It queues the record as the writer will, on the
// pending-definition list, but unstamped, so identification tests can read
// what was handed over.
#include <cstring>

#include "core/library_state.h"
#include "usage/definition_files.h"

namespace plv {

void RecordNewAppDef(PLVNewDefinition definition) {
    PLVPendingDefinitionNode node{};
    node.pending.definition = definition;
    PLVAppendToList(&Runtime().pendingDefinitions, &node, sizeof node);
}

}  // namespace plv
