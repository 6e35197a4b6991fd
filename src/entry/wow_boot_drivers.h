// The 16-bit driver's entry in the boot drivers of the 16-bit Windows
// subsystem on NT: added at metering start-up, taken out at shutdown.
#pragma once

namespace plv {

// Rewrites the "drivers" value without any entry of the 16-bit driver,
// whatever its directory, keeping the other drivers in their order.
// With addOurs (start-up) the key is created when missing, the driver's full
// path is appended and the whole list is turned to lower case; without
// (shutdown) an existing value is written back without our entry, its letter
// case unchanged. True when the value was written.
bool RewriteWowBootDrivers(bool addOurs);

}  // namespace plv
