// Metered applications: admission ("Initiated") and release ("Terminated").
#pragma once

#include <cstdint>

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

// Admits the application behind a window, or finds it admitted already under
// the same process and thread (logging a rename). Null when no record could
// be stored.
PLVMeteredApp *AuthorizeApp(HWND window, std::uint8_t dosApplication, const char *name);

// Logs "Terminated" for a metered record and releases it; 1 when it left the
// list (its block lost if GlobalFree refused it), 0 when it was not on it.
std::int16_t PLVRemoveApp(PLVMeteredApp *record);

}  // namespace plv
