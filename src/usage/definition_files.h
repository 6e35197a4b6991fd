// Definitions of unrecognised applications, recorded and appended to the
// day's definition file.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

// Stamps a new definition and queues it for the definition writer.
void RecordNewAppDef(PLVNewDefinition definition);

// One write pass while the definition write countdown lasts; 1 when no pass
// ran or every pending definition was written.
std::int32_t UpdateAppDefs();

}  // namespace plv
