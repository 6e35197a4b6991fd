#include "platform/posix/x11_display.h"

#include <poll.h>
#include <xcb/res.h>
#include <xcb/xcbext.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace plv::posix::x11 {
namespace {

// How long a batch of requests may take to be answered. A live server
// answers hundreds of requests in a few milliseconds; one that takes this
// long is stopped or hung.
constexpr auto kAnswerTime = std::chrono::seconds(1);

struct Disconnect {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

struct Connection {
    std::unique_ptr<xcb_connection_t, Disconnect> link;
    Server server;
};

struct DisplayState {
    std::string name;  // the DISPLAY the connection serves
    std::optional<Connection> connection;
    // A batch went unanswered: the connection is kept (a new one would wait
    // for the silent server while connecting), and nothing is asked until the
    // server sends something again.
    bool silent = false;
};

DisplayState &State() {
    static DisplayState state;
    return state;
}

constexpr std::pair<const char *, xcb_atom_t Atoms::*> kAtomNames[] = {
    {"_NET_CLIENT_LIST", &Atoms::netClientList},
    {"_NET_SUPPORTING_WM_CHECK", &Atoms::netSupportingWmCheck},
    {"_NET_WM_NAME", &Atoms::netWmName},
    {"_NET_WM_PID", &Atoms::netWmPid},
    {"UTF8_STRING", &Atoms::utf8String},
    {"WM_STATE", &Atoms::wmState},
};

const xcb_screen_t *ScreenNumbered(const xcb_setup_t *setup, int number) {
    for (auto it = xcb_setup_roots_iterator(setup); it.rem > 0; xcb_screen_next(&it), --number) {
        if (number == 0) return it.data;
    }
    return nullptr;
}

bool InternAtoms(xcb_connection_t *connection, Atoms &atoms) {
    xcb_intern_atom_cookie_t cookies[std::size(kAtomNames)];
    for (std::size_t i = 0; i < std::size(kAtomNames); ++i) {
        const char *name = kAtomNames[i].first;
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)),
                                     name);
    }
    Replies replies(connection);
    bool complete = true;
    for (std::size_t i = 0; i < std::size(kAtomNames); ++i) {
        auto reply = replies.Take<xcb_intern_atom_reply_t>(cookies[i].sequence);
        if (reply) atoms.*kAtomNames[i].second = reply->atom;
        complete = complete && reply != nullptr;
    }
    return complete;
}

// Process ids of clients came with X-Resource 1.2.
bool TellsClientProcesses(xcb_connection_t *connection) {
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (extension == nullptr || !extension->present) return false;
    const auto cookie = xcb_res_query_version(connection, 1, 2);
    Replies replies(connection);
    auto version = replies.Take<xcb_res_query_version_reply_t>(cookie.sequence);
    return version != nullptr &&
           (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
}

std::optional<Connection> Connect(const char *name) {
    int screenNumber = 0;
    Connection made{std::unique_ptr<xcb_connection_t, Disconnect>(xcb_connect(name, &screenNumber)),
                    {}};
    xcb_connection_t *connection = made.link.get();
    if (xcb_connection_has_error(connection)) return std::nullopt;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_t *screen = ScreenNumbered(setup, screenNumber);
    if (screen == nullptr) return std::nullopt;

    static std::uint64_t connectionsMade = 0;
    made.server.number = ++connectionsMade;
    made.server.connection = connection;
    made.server.root = screen->root;
    made.server.clientBits = ~setup->resource_id_mask;
    // Asked ahead, so that its answer is in when the atoms' answers are.
    xcb_prefetch_extension_data(connection, &xcb_res_id);
    if (!InternAtoms(connection, made.server.atoms)) return std::nullopt;
    made.server.tellsClientProcesses = TellsClientProcesses(connection);
    if (xcb_connection_has_error(connection)) return std::nullopt;
    return made;
}

// Whether the server has sent something since the last call: late answers
// of a silent server, events, or the end of the connection. What came is
// read, so that a closed connection shows its error before anything is sent
// on it; events are kept for whoever selected them.
bool SpokeSince(Server &server) {
    pollfd watch{xcb_get_file_descriptor(server.connection), POLLIN, 0};
    if (::poll(&watch, 1, 0) <= 0) return false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(server.connection))
        server.events.emplace_back(event);
    return true;
}

sigset_t OnlySigpipe() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

}  // namespace

SigpipeHeld::SigpipeHeld() {
    sigset_t pending;
    sigpending(&pending);
    alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
    const sigset_t sigpipe = OnlySigpipe();
    pthread_sigmask(SIG_BLOCK, &sigpipe, &previous_);
}

SigpipeHeld::~SigpipeHeld() {
    if (!alreadyPending_) {
        const sigset_t sigpipe = OnlySigpipe();
        const timespec now{};
        while (sigtimedwait(&sigpipe, nullptr, &now) == SIGPIPE) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

Server *CurrentServer() {
    DisplayState &state = State();
    const char *name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        state = DisplayState{};
        return nullptr;
    }
    if (state.name != name) state = DisplayState{name, std::nullopt, false};

    if (state.connection) {
        xcb_connection_t *connection = state.connection->link.get();
        const bool spoke = SpokeSince(state.connection->server);
        if (state.silent) {
            if (!spoke) return nullptr;
            state.silent = false;
        }
        if (xcb_connection_has_error(connection)) state.connection.reset();
    }
    if (!state.connection) {
        state.connection = Connect(name);
        state.silent = false;
    }
    return state.connection ? &state.connection->server : nullptr;
}

Server *ConnectedServer() {
    DisplayState &state = State();
    const char *name = std::getenv("DISPLAY");
    if (!state.connection || state.silent || name == nullptr || state.name != name ||
        xcb_connection_has_error(state.connection->link.get()))
        return nullptr;
    return &state.connection->server;
}

bool ServerIsSilent() { return State().silent; }

std::vector<EventPtr> TakeEvents(Server &server) {
    std::vector<EventPtr> events = std::move(server.events);
    server.events.clear();
    while (xcb_generic_event_t *event = xcb_poll_for_event(server.connection))
        events.emplace_back(event);
    return events;
}

Replies::Replies(xcb_connection_t *connection)
    : connection_(connection),
      deadline_(std::chrono::steady_clock::now() + kAnswerTime),
      // Once a batch went unanswered, the ones after it are not waited for.
      expired_(State().silent) {
    xcb_flush(connection);
}

void *Replies::TakeRaw(unsigned sequence) {
    while (!expired_) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error)) {
            std::free(error);
            return reply;
        }
        const auto left = deadline_ - std::chrono::steady_clock::now();
        if (left <= decltype(left)::zero()) {
            expired_ = true;
            State().silent = true;
            break;
        }
        pollfd watch{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&watch, 1,
               static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    }
    // Whatever comes later for this request is dropped on arrival.
    xcb_discard_reply(connection_, sequence);
    return nullptr;
}

}  // namespace plv::posix::x11
