// The removal pass that follows a scan.
#pragma once

namespace plv {

// Releases the applications of processes the last scan did not meet.
void RemoveEndedProcesses();

}  // namespace plv
