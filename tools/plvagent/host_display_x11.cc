// Whether the agent can see the windows of its user's display: a
// connection to the X server named by DISPLAY, made once at the start.
#include <xcb/xcb.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "host_system.h"

namespace plvagent::host {
namespace {

// A server that takes this long to accept a connection is stopped or hung.
constexpr auto kConnectTime = std::chrono::seconds(5);

constexpr char kConsequence[] = ": no application window can be seen, so nothing is metered";

}  // namespace

std::optional<std::string> DisplayProblem() {
    const std::string name = DisplayName();
    if (name.empty()) return std::string("DISPLAY is not set") + kConsequence;
    // A stopped server accepts the connection and never answers: the
    // connection is tried apart, and given up after a while.
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> connected = answer->get_future();
    std::thread([name, answer] {
        xcb_connection_t *connection = xcb_connect(name.c_str(), nullptr);
        answer->set_value(xcb_connection_has_error(connection) == 0);
        xcb_disconnect(connection);
    }).detach();
    if (connected.wait_for(kConnectTime) != std::future_status::ready)
        return "the display " + name + " does not answer" + kConsequence;
    if (!connected.get()) return "the display " + name + " cannot be opened" + kConsequence;
    return std::nullopt;
}

}  // namespace plvagent::host
