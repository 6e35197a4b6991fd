#include "monitor/sixteen_bit_agent.h"

namespace plv {

// Hook: the 16-bit tracker (companion module, agent program and start
// semaphore) arrives with DOS and 16-bit tracking. Until then tracking stays
// off, exactly as after a failed start.
bool StartSixteenBitAgent() { return false; }

}  // namespace plv
