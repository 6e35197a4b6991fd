// The X server named by DISPLAY, reached through XCB.
//
// XCB hands each request's error back with its reply, so a window that
// vanishes between two requests costs a failed reply and nothing else: no
// process-wide error handler is installed (it would replace the host's), and
// nothing is printed.
#pragma once

#include <signal.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace plv::posix::x11 {

struct Atoms {
    xcb_atom_t netClientList;
    xcb_atom_t netSupportingWmCheck;
    xcb_atom_t netWmName;
    xcb_atom_t netWmPid;
    xcb_atom_t utf8String;
    xcb_atom_t wmState;
};

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;
using EventPtr = ReplyPtr<xcb_generic_event_t>;

struct Server {
    // Each connection made has a number of its own: what was learnt over an
    // earlier one is not to be trusted on this one.
    std::uint64_t number;
    xcb_connection_t *connection;
    xcb_window_t root;
    // The bits of a resource id that name the client owning it.
    std::uint32_t clientBits;
    Atoms atoms;
    // X-Resource 1.2 or later: the server tells each local client's process.
    bool tellsClientProcesses;
    // Events read while looking whether a silent server spoke, kept for
    // whoever selected them.
    std::vector<EventPtr> events;
};

// The server of the current DISPLAY while it is connected and answering;
// null otherwise. Unlike CurrentServer it never connects.
Server *ConnectedServer();

// Whether the server left a batch unanswered since it last spoke: what the
// batches since then answered is not to be trusted.
bool ServerIsSilent();

// The events the server has sent since the last call, in order: those read
// while looking whether it spoke and those that came with replies.
std::vector<EventPtr> TakeEvents(Server &server);

// Writing to a server that has gone raises SIGPIPE, whose default action
// would end the host. While a guard lives the signal is held back for the
// calling thread, and one raised meanwhile is taken back. Talk to the server
// only under a guard, and never call out of the library under one.
class SigpipeHeld {
  public:
    SigpipeHeld();
    ~SigpipeHeld();
    SigpipeHeld(const SigpipeHeld &) = delete;
    SigpipeHeld &operator=(const SigpipeHeld &) = delete;

  private:
    sigset_t previous_;
    bool alreadyPending_;
};

// The server of the current DISPLAY, connected on first use and again after
// the connection was lost. Null when DISPLAY is unset, when the server cannot
// be reached, and while a server that left requests unanswered stays silent.
Server *CurrentServer();

// The replies to requests sent together, awaited within one deadline so that
// a server that stops answering cannot hold the caller. Construct it after
// sending the requests and take every request's reply exactly once.
class Replies {
  public:
    explicit Replies(xcb_connection_t *connection);
    Replies(const Replies &) = delete;
    Replies &operator=(const Replies &) = delete;

    // The reply, or null for an error (a window that is gone), a lost
    // connection or a passed deadline.
    template <typename Reply>
    ReplyPtr<Reply> Take(unsigned sequence) {
        return ReplyPtr<Reply>(static_cast<Reply *>(TakeRaw(sequence)));
    }

  private:
    void *TakeRaw(unsigned sequence);

    xcb_connection_t *connection_;
    std::chrono::steady_clock::time_point deadline_;
    bool expired_;
};

}  // namespace plv::posix::x11
