#include "monitor/metering_state.h"

namespace plv {

MeteringState metering;

void ResetMeteringState() { metering = MeteringState{}; }

}  // namespace plv
