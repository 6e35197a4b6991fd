// The 16-bit task tracker's start, the last step of library start-up on NT.
#pragma once

namespace plv {

// Starts the 16-bit agent; false leaves 16-bit task tracking off for the life
// of the library.
bool StartSixteenBitAgent();

}  // namespace plv
