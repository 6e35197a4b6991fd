// What the host's message loop needs of the window system: its notifications
// read as they come, so that they cannot pile up while nothing asks about
// windows (x11_windows.cc; no_window_system.cc has none).
#pragma once

namespace plv::posix {

void AbsorbWindowNotifications();

}  // namespace plv::posix
