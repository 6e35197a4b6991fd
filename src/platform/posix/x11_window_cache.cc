#include "platform/posix/x11_window_cache.h"

#include <algorithm>
#include <unordered_map>

namespace plv::posix::x11 {
namespace {

// What the cache needs told: on the root, its children coming, going and
// changing place, and its properties (the manager's client list and check
// window); on each top-level window, its properties and its own structure
// (mapped, unmapped, destroyed, reparented: under a window manager the root
// does not see its clients).
constexpr std::uint32_t kRootEvents =
    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
constexpr std::uint32_t kWindowEvents =
    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

struct CachedWindow {
    SharedFacts facts;  // null until fetched
    bool stale = true;
};

struct WindowCache {
    std::uint64_t connection = 0;  // the number of the connection it was learnt over
    std::vector<xcb_window_t> order;
    std::unordered_map<xcb_window_t, CachedWindow> windows;
    xcb_window_t managerCheck = XCB_WINDOW_NONE;
    bool listStale = true;
    // Under a window manager a client is shown and hidden through its frame,
    // which is the root's child: a frame mapped or unmapped makes every
    // client's visibility stale.
    bool everyWindowStale = false;
};

WindowCache &Cache() {
    static WindowCache cache;
    return cache;
}

void Select(Server &server, xcb_window_t window, std::uint32_t events) {
    xcb_change_window_attributes(server.connection, window, XCB_CW_EVENT_MASK, &events);
}

void MarkStale(WindowCache &cache, xcb_window_t window) {
    if (auto found = cache.windows.find(window); found != cache.windows.end())
        found->second.stale = true;
}

bool Tracked(const WindowCache &cache, xcb_window_t window) {
    return cache.windows.contains(window);
}

// The properties the window calls read; a change of any other (a
// toolkit's user time, an icon) changes nothing that is answered.
bool ReadProperty(const Server &server, xcb_atom_t property) {
    const Atoms &atoms = server.atoms;
    return property == XCB_ATOM_WM_NAME || property == atoms.netWmName ||
           property == XCB_ATOM_WM_CLASS || property == XCB_ATOM_WM_TRANSIENT_FOR ||
           property == atoms.netWmPid || property == XCB_ATOM_WM_CLIENT_MACHINE ||
           property == atoms.wmState;
}

void Note(const Server &server, WindowCache &cache, const xcb_generic_event_t &event) {
    switch (event.response_type & 0x7F) {
        case XCB_CREATE_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            cache.listStale = true;
            break;
        case XCB_REPARENT_NOTIFY:
            // Into a frame or out of it: the list, and whether it is viewable.
            MarkStale(cache, reinterpret_cast<const xcb_reparent_notify_event_t &>(event).window);
            cache.listStale = true;
            break;
        case XCB_DESTROY_NOTIFY: {
            const auto &destroyed = reinterpret_cast<const xcb_destroy_notify_event_t &>(event);
            cache.windows.erase(destroyed.window);
            cache.listStale = cache.listStale || destroyed.event == server.root ||
                              destroyed.window == cache.managerCheck;
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            // A root child restacked changes the order the root's children come in.
            const auto &configured = reinterpret_cast<const xcb_configure_notify_event_t &>(event);
            if (configured.event == server.root) cache.listStale = true;
            break;
        }
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY: {
            // The window field sits at the same place in both events.
            const auto &mapped = reinterpret_cast<const xcb_map_notify_event_t &>(event);
            if (Tracked(cache, mapped.window)) {
                MarkStale(cache, mapped.window);
            } else if (mapped.event == server.root && cache.managerCheck != XCB_WINDOW_NONE) {
                cache.everyWindowStale = true;
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto &changed = reinterpret_cast<const xcb_property_notify_event_t &>(event);
            if (changed.window == server.root || changed.window == cache.managerCheck) {
                const Atoms &atoms = server.atoms;
                if (changed.atom == atoms.netClientList ||
                    changed.atom == atoms.netSupportingWmCheck)
                    cache.listStale = true;
            } else if (ReadProperty(server, changed.atom)) {
                MarkStale(cache, changed.window);
            }
            break;
        }
        default:  // errors of a selection on a window already gone, and the like
            break;
    }
}

void NoteArrivals(Server &server, WindowCache &cache) {
    for (const EventPtr &event : TakeEvents(server)) Note(server, cache, *event);
}

// A round trip: once its answer is in, every notification the server sent
// before it has arrived as well.
bool Answers(Server &server) {
    const auto cookie = xcb_get_input_focus(server.connection);
    Replies replies(server.connection);
    return replies.Take<xcb_get_input_focus_reply_t>(cookie.sequence) != nullptr;
}

void Restart(Server &server, WindowCache &cache) {
    cache = WindowCache{};
    cache.connection = server.number;
    Select(server, server.root, kRootEvents);
}

// The list of windows again: new windows are watched and stale, windows no
// longer listed forgotten.
void RefreshList(Server &server, WindowCache &cache) {
    TopLevel top = TopLevelWindows(server);
    if (ServerIsSilent()) return;  // still stale
    cache.listStale = false;
    if (top.managerCheck != cache.managerCheck) {
        cache.managerCheck = top.managerCheck;
        if (top.managerCheck != XCB_WINDOW_NONE) {
            Select(server, top.managerCheck, kWindowEvents);
            // It may have changed before it was watched.
            cache.listStale = true;
        }
    }
    std::unordered_map<xcb_window_t, CachedWindow> kept;
    for (xcb_window_t window : top.windows) {
        if (auto known = cache.windows.find(window); known != cache.windows.end()) {
            kept.insert(cache.windows.extract(known));
        } else if (!kept.contains(window)) {
            Select(server, window, kWindowEvents);
            kept.emplace(window, CachedWindow{});
        }
    }
    cache.windows = std::move(kept);
    cache.order = std::move(top.windows);
}

// The facts of every stale window, asked in one batch after the windows were
// watched, so that no change between the two goes unnoticed.
void RefreshFacts(Server &server, WindowCache &cache) {
    std::vector<xcb_window_t> stale;
    for (auto &[window, cached] : cache.windows) {
        if (cached.stale || cache.everyWindowStale) stale.push_back(window);
    }
    if (stale.empty()) return;
    std::vector<std::optional<WindowFacts>> facts = FetchFacts(server, stale);
    if (ServerIsSilent()) return;  // still stale
    for (std::size_t i = 0; i < stale.size(); ++i) {
        if (!facts[i]) {
            cache.windows.erase(stale[i]);  // gone before it was asked
            continue;
        }
        CachedWindow &cached = cache.windows[stale[i]];
        cached.facts = std::make_shared<const WindowFacts>(std::move(*facts[i]));
        cached.stale = false;
    }
    cache.everyWindowStale = false;
}

}  // namespace

std::vector<TopLevelWindow> CurrentTopLevelWindows(Server &server) {
    WindowCache &cache = Cache();
    if (cache.connection != server.number) {
        Restart(server, cache);
    } else if (!Answers(server)) {
        return {};
    }
    NoteArrivals(server, cache);
    if (cache.listStale) RefreshList(server, cache);
    RefreshFacts(server, cache);
    if (ServerIsSilent()) return {};

    std::vector<TopLevelWindow> current;
    current.reserve(cache.order.size());
    for (xcb_window_t window : cache.order) {
        const auto known = cache.windows.find(window);
        if (known != cache.windows.end() && known->second.facts != nullptr)
            current.push_back({window, known->second.facts});
    }
    return current;
}

void AbsorbNotifications(Server &server) {
    WindowCache &cache = Cache();
    if (cache.connection == server.number) NoteArrivals(server, cache);
}

}  // namespace plv::posix::x11
