// The top-level windows of the X server and their facts, kept between
// enumerations and brought up to date by the notifications the server sends:
// windows created, destroyed, reparented, restacked, mapped or unmapped, and
// the properties the window calls read. While nothing changes an
// enumeration costs the server one trivial request; what changed is asked
// again, and nothing else.
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <vector>

#include "platform/posix/x11_display.h"
#include "platform/posix/x11_windows.h"

namespace plv::posix::x11 {

// Facts are shared with the enumerations that deliver them, and replaced,
// never changed, when the server tells of a change: an enumeration in
// progress keeps answering from the facts it started with.
using SharedFacts = std::shared_ptr<const WindowFacts>;

struct TopLevelWindow {
    xcb_window_t window;
    SharedFacts facts;
};

// The top-level windows in delivery order with their current facts; those
// gone meanwhile are left out. Empty when the server does not answer.
std::vector<TopLevelWindow> CurrentTopLevelWindows(Server &server);

// Reads the notifications that have arrived and notes what they name,
// without asking the server anything, so that they cannot pile up between
// enumerations.
void AbsorbNotifications(Server &server);

}  // namespace plv::posix::x11
