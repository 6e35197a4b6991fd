#include "core/companions.h"

namespace plv {

MeteringState metering;

void ResetMeteringState() { metering = MeteringState{}; }

}  // namespace plv
