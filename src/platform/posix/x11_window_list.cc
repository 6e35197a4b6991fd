#include <algorithm>

#include "platform/posix/x11_properties.h"
#include "platform/posix/x11_windows.h"

namespace plv::posix::x11 {
namespace {

constexpr std::uint32_t kListUnits = 65536;

// A running window manager names its check window on the root and on the
// window itself; the client list of a manager that has ended is stale.
bool ManagerRuns(Server &server, std::optional<xcb_window_t> check) {
    if (!check) return false;
    const auto cookie =
        AskProperty(server.connection, *check, server.atoms.netSupportingWmCheck, XCB_ATOM_WINDOW, 1);
    Replies replies(server.connection);
    auto reply = replies.Take<xcb_get_property_reply_t>(cookie.sequence);
    return FirstValue(reply.get(), XCB_ATOM_WINDOW) == check;
}

}  // namespace

TopLevel TopLevelWindows(Server &server) {
    xcb_connection_t *connection = server.connection;
    const auto treeCookie = xcb_query_tree(connection, server.root);
    const auto listCookie = AskProperty(connection, server.root, server.atoms.netClientList,
                                        XCB_ATOM_WINDOW, kListUnits);
    const auto checkCookie = AskProperty(connection, server.root,
                                         server.atoms.netSupportingWmCheck, XCB_ATOM_WINDOW, 1);
    Replies replies(connection);
    auto tree = replies.Take<xcb_query_tree_reply_t>(treeCookie.sequence);
    auto list = replies.Take<xcb_get_property_reply_t>(listCookie.sequence);
    auto check = replies.Take<xcb_get_property_reply_t>(checkCookie.sequence);

    const auto manager = FirstValue(check.get(), XCB_ATOM_WINDOW);
    if (list != nullptr && list->type == XCB_ATOM_WINDOW && ManagerRuns(server, manager)) {
        const auto clients = Values(list.get(), XCB_ATOM_WINDOW);
        return {{clients.begin(), clients.end()}, *manager};
    }
    const xcb_window_t named = manager.value_or(XCB_WINDOW_NONE);
    if (tree == nullptr) return {{}, named};
    // The server lists children bottom to top.
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    std::vector<xcb_window_t> windows(children, children + xcb_query_tree_children_length(tree.get()));
    std::reverse(windows.begin(), windows.end());
    return {std::move(windows), named};
}

}  // namespace plv::posix::x11
