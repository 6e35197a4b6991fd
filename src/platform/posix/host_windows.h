// What the message loop needs of the host's windows (user.cc).
#pragma once

#include "platform/win32_api.h"

namespace plv::posix {

bool IsHostWindow(HWND window);
// Calls the window's procedure; 0 when it has none or the window is gone.
LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A window going away takes its timers with it (message_loop.cc).
void ForgetWindowTimers(HWND window);

}  // namespace plv::posix
