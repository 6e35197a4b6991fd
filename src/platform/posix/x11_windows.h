// Top-level windows of an X server and what the window calls of the seam
// answer about each.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/posix/x11_display.h"

namespace plv::posix::x11 {

struct WindowFacts {
    std::string title;  // in the ANSI code page
    std::string className;  // the class part of WM_CLASS; empty when not set
    // The window it is transient for, which, like the owner of a window on
    // Windows, is reported as its parent.
    xcb_window_t owner = XCB_WINDOW_NONE;
    std::uint32_t processId = 0;  // 0 when the server and the client do not tell
    // Mapped and viewable, or iconified: Windows counts minimised windows as
    // visible, and window managers unmap iconified ones.
    bool visible = false;
};

struct TopLevel {
    // The top-level client windows in the order they are delivered: the
    // window manager's client list while one runs, else the root's children,
    // topmost first as Windows lists its windows.
    std::vector<xcb_window_t> windows;
    // The check window the root names, whether or not its manager still
    // runs: its changes tell that a manager started or ended.
    xcb_window_t managerCheck = XCB_WINDOW_NONE;
};

TopLevel TopLevelWindows(Server &server);

// The facts of every window, asked in one pipelined batch; none for a window
// that no longer exists.
std::vector<std::optional<WindowFacts>> FetchFacts(Server &server,
                                                   std::span<const xcb_window_t> windows);

}  // namespace plv::posix::x11
