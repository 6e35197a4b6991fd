// The process scan: new processes found, their main windows searched, their
// applications identified and admitted; ended ones released.
#pragma once

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

struct FilterState {
    char lastProgramName[64] = {};  // last program name that passed the ignore list
    char lastClassName[132] = {};   // last class name that passed the ignore list
};

void ResetFilterState();

// One scan over the running processes; false when the process list could
// not be had, so nothing can be concluded about ended processes.
bool ScanProcesses();

// Releases the applications of processes the last scan did not meet.
void RemoveEndedProcesses();

void ExamineProcess(const char *programName, DWORD processId, DWORD threadId);

bool IsKnownProgram(const PLVCandidate *candidate);

// Identifies and admits the candidate; null when it is not metered.
PLVMeteredApp *AdmitCandidate(PLVCandidate *candidate);

// The short (8.3) form of a path in place; "(none)" when it cannot be had.
void ShortenProgramPath(char (&path)[285]);

}  // namespace plv
