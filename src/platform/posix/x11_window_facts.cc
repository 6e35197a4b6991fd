#include <unistd.h>
#include <xcb/res.h>

#include <unordered_map>

#include "platform/posix/x11_properties.h"
#include "platform/posix/x11_text.h"
#include "platform/posix/x11_windows.h"

namespace plv::posix::x11 {
namespace {

constexpr std::uint32_t kIconicState = 3;  // WM_STATE of an iconified window

// Process ids by client, a client being known by the bits its resource ids
// share.
using ProcessesByClient = std::unordered_map<std::uint32_t, std::uint32_t>;

struct WindowRequests {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_property_cookie_t netWmName;
    xcb_get_property_cookie_t wmName;
    xcb_get_property_cookie_t wmClass;
    xcb_get_property_cookie_t transientFor;
    xcb_get_property_cookie_t netWmPid;
    xcb_get_property_cookie_t clientMachine;
    xcb_get_property_cookie_t wmState;
};

using PropertyReply = ReplyPtr<xcb_get_property_reply_t>;

struct WindowReplies {
    ReplyPtr<xcb_get_window_attributes_reply_t> attributes;
    PropertyReply netWmName;
    PropertyReply wmName;
    PropertyReply wmClass;
    PropertyReply transientFor;
    PropertyReply netWmPid;
    PropertyReply clientMachine;
    PropertyReply wmState;
};

WindowRequests Ask(const Server &server, xcb_window_t window) {
    xcb_connection_t *connection = server.connection;
    const Atoms &atoms = server.atoms;
    return {
        xcb_get_window_attributes(connection, window),
        AskProperty(connection, window, atoms.netWmName, atoms.utf8String, kTextUnits),
        AskProperty(connection, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTextUnits),
        AskProperty(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kTextUnits),
        AskProperty(connection, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1),
        AskProperty(connection, window, atoms.netWmPid, XCB_ATOM_CARDINAL, 1),
        AskProperty(connection, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_GET_PROPERTY_TYPE_ANY,
                    kTextUnits),
        AskProperty(connection, window, atoms.wmState, atoms.wmState, 1),
    };
}

WindowReplies Collect(Replies &replies, const WindowRequests &requests) {
    auto property = [&replies](xcb_get_property_cookie_t cookie) {
        return replies.Take<xcb_get_property_reply_t>(cookie.sequence);
    };
    WindowReplies taken;
    taken.attributes =
        replies.Take<xcb_get_window_attributes_reply_t>(requests.attributes.sequence);
    taken.netWmName = property(requests.netWmName);
    taken.wmName = property(requests.wmName);
    taken.wmClass = property(requests.wmClass);
    taken.transientFor = property(requests.transientFor);
    taken.netWmPid = property(requests.netWmPid);
    taken.clientMachine = property(requests.clientMachine);
    taken.wmState = property(requests.wmState);
    return taken;
}

ProcessesByClient ClientProcesses(const xcb_res_query_client_ids_reply_t *reply) {
    ProcessesByClient processes;
    if (reply == nullptr) return processes;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(it.data) > 0) {
            processes[it.data->spec.client] = *xcb_res_client_id_value_value(it.data);
        }
    }
    return processes;
}

// _NET_WM_NAME in UTF-8, else WM_NAME: UTF-8 when so typed, else taken as
// ISO 8859-1, the encoding of STRING.
std::string Title(const Server &server, const WindowReplies &replies) {
    if (replies.netWmName != nullptr && replies.netWmName->type == server.atoms.utf8String) {
        if (auto text = Bytes(replies.netWmName.get())) return AnsiFromUtf8(*text);
    }
    const auto text = Bytes(replies.wmName.get());
    if (!text) return {};
    return replies.wmName->type == server.atoms.utf8String ? AnsiFromUtf8(*text)
                                                           : AnsiFromLatin1(*text);
}

// WM_CLASS holds the instance name and then the class name, each ended by a
// zero byte.
std::string ClassName(const xcb_get_property_reply_t *reply) {
    std::string_view names = Bytes(reply).value_or(std::string_view{});
    const std::size_t instanceEnd = names.find('\0');
    if (instanceEnd == std::string_view::npos) return {};
    names.remove_prefix(instanceEnd + 1);
    return AnsiFromLatin1(names.substr(0, names.find('\0')));
}

const std::string &HostName() {
    static const std::string name = [] {
        char buffer[256] = {};
        ::gethostname(buffer, sizeof buffer - 1);
        return std::string(buffer);
    }();
    return name;
}

// The server knows the process of every local client. Without it the
// client's own _NET_WM_PID serves, unless the client runs on another machine,
// where its process id names some other process.
std::uint32_t ProcessOf(const Server &server, xcb_window_t window, const WindowReplies &replies,
                        const ProcessesByClient &processes) {
    if (auto known = processes.find(window & server.clientBits); known != processes.end()) {
        return known->second;
    }
    const auto claimed = FirstValue(replies.netWmPid.get(), XCB_ATOM_CARDINAL);
    if (!claimed) return 0;
    if (const auto machine = Bytes(replies.clientMachine.get());
        machine && machine->substr(0, machine->find('\0')) != HostName()) {
        return 0;
    }
    return *claimed;
}

std::optional<WindowFacts> FactsOf(const Server &server, xcb_window_t window,
                                   const WindowReplies &replies,
                                   const ProcessesByClient &processes) {
    if (replies.attributes == nullptr) return std::nullopt;
    WindowFacts facts;
    facts.title = Title(server, replies);
    facts.className = ClassName(replies.wmClass.get());
    const auto owner = FirstValue(replies.transientFor.get(), XCB_ATOM_WINDOW);
    if (owner && *owner != server.root) facts.owner = *owner;
    facts.processId = ProcessOf(server, window, replies, processes);
    facts.visible = replies.attributes->map_state == XCB_MAP_STATE_VIEWABLE ||
                    FirstValue(replies.wmState.get(), server.atoms.wmState) == kIconicState;
    return facts;
}

}  // namespace

std::vector<std::optional<WindowFacts>> FetchFacts(Server &server,
                                                   std::span<const xcb_window_t> windows) {
    if (windows.empty()) return {};
    xcb_connection_t *connection = server.connection;
    std::optional<xcb_res_query_client_ids_cookie_t> clientsCookie;
    if (server.tellsClientProcesses) {
        // Client 0 asks for every client at once.
        const xcb_res_client_id_spec_t everyClient{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        clientsCookie = xcb_res_query_client_ids(connection, 1, &everyClient);
    }
    std::vector<WindowRequests> requests;
    requests.reserve(windows.size());
    for (xcb_window_t window : windows) requests.push_back(Ask(server, window));

    Replies replies(connection);
    ProcessesByClient processes;
    if (clientsCookie) {
        processes = ClientProcesses(
            replies.Take<xcb_res_query_client_ids_reply_t>(clientsCookie->sequence).get());
    }
    std::vector<std::optional<WindowFacts>> facts;
    facts.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        facts.push_back(FactsOf(server, windows[i], Collect(replies, requests[i]), processes));
    }
    return facts;
}

}  // namespace plv::posix::x11
