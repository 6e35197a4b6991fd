// The process scan: new processes found, their main windows searched, their
// applications identified and admitted; ended ones released.
#pragma once

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

// One scan over the running processes; false when the process list could
// not be had, so nothing can be concluded about ended processes.
bool ScanProcesses();

void ExamineProcess(const char *programName, DWORD processId, DWORD threadId);

// The short (8.3) form of a path in place; "(none)" when it cannot be had.
void ShortenProgramPath(char (&path)[285]);

}  // namespace plv
