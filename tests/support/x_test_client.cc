#include "support/x_test_client.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace plv::testing {
namespace {

template <typename Reply>
struct Owned {
    explicit Owned(Reply *reply) : reply(reply) {}
    ~Owned() { std::free(reply); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Reply *reply;
};

std::string_view ClassOf(xcb_get_property_reply_t *reply) {
    if (reply == nullptr || reply->format != 8) return {};
    std::string_view names(static_cast<const char *>(xcb_get_property_value(reply)),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    const auto instanceEnd = names.find('\0');
    if (instanceEnd == std::string_view::npos) return {};
    names.remove_prefix(instanceEnd + 1);
    return names.substr(0, names.find('\0'));
}

}  // namespace

XTestClient::XTestClient(const std::string &display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (connected()) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

XTestClient::~XTestClient() { xcb_disconnect(connection_); }

bool XTestClient::connected() const { return xcb_connection_has_error(connection_) == 0; }

xcb_atom_t XTestClient::Atom(const std::string &name) {
    const auto cookie =
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
    Owned reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply.reply != nullptr ? reply.reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t XTestClient::CreateWindow() {
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 16, 16, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    Sync();
    return window;
}

xcb_window_t XTestClient::UnusedId() { return xcb_generate_id(connection_); }

void XTestClient::Map(xcb_window_t window) {
    xcb_map_window(connection_, window);
    Sync();
}

void XTestClient::Unmap(xcb_window_t window) {
    xcb_unmap_window(connection_, window);
    Sync();
}

void XTestClient::Reparent(xcb_window_t window, xcb_window_t parent) {
    xcb_reparent_window(connection_, window, parent, 0, 0);
    Sync();
}

void XTestClient::Raise(xcb_window_t window) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    Sync();
}

void XTestClient::Destroy(xcb_window_t window) {
    xcb_destroy_window(connection_, window);
    Sync();
}

void XTestClient::SetBytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                           std::string_view bytes) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                        static_cast<std::uint32_t>(bytes.size()), bytes.data());
    Sync();
}

void XTestClient::SetValues(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                            const std::vector<std::uint32_t> &values) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
    Sync();
}

void XTestClient::DeleteProperty(xcb_window_t window, xcb_atom_t property) {
    xcb_delete_property(connection_, window, property);
    Sync();
}

void XTestClient::Sync() {
    Owned reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

xcb_window_t XTestClient::AwaitWindowOfClass(const std::string &className) {
    // Generous: a client on a loaded machine may take long to show its window.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        Owned tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
        if (tree.reply == nullptr) return 0;
        const xcb_window_t *children = xcb_query_tree_children(tree.reply);
        for (int i = 0; i < xcb_query_tree_children_length(tree.reply); ++i) {
            const auto classCookie = xcb_get_property(connection_, 0, children[i], XCB_ATOM_WM_CLASS,
                                                      XCB_ATOM_STRING, 0, 256);
            const auto attributesCookie = xcb_get_window_attributes(connection_, children[i]);
            Owned wmClass(xcb_get_property_reply(connection_, classCookie, nullptr));
            Owned attributes(
                xcb_get_window_attributes_reply(connection_, attributesCookie, nullptr));
            if (ClassOf(wmClass.reply) == className && attributes.reply != nullptr &&
                attributes.reply->map_state == XCB_MAP_STATE_VIEWABLE) {
                return children[i];
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

}  // namespace plv::testing
