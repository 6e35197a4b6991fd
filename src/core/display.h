// The trace display: time-stamped lines in list box 101 of the host window.
#pragma once

#include "platform/win32_api.h"

namespace plv {

struct DisplayState {
    LONG widestLine = 0;  // widest extent sent so far; only grows
};

void ResetDisplayState();

// True while the trace flag is set; callers test it before formatting texts
// that serve only the trace.
bool TraceOn();

// Formats a trace text and displays it (nothing when the trace is off).
void Trace(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plv
