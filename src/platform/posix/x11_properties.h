// Reading window properties from XCB replies. A reply that is missing (the
// window is gone) or of another type or format reads as absent.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace plv::posix::x11 {

// Enough for any title; longer texts are cut.
constexpr std::uint32_t kTextUnits = 1024;

inline xcb_get_property_cookie_t AskProperty(xcb_connection_t *connection, xcb_window_t window,
                                             xcb_atom_t property, xcb_atom_t type,
                                             std::uint32_t units) {
    return xcb_get_property(connection, 0, window, property, type, 0, units);
}

// The 32-bit values of a property of the given type.
inline std::span<const std::uint32_t> Values(const xcb_get_property_reply_t *reply,
                                             xcb_atom_t type) {
    if (reply == nullptr || reply->type != type || reply->format != 32) return {};
    const auto *values = static_cast<const std::uint32_t *>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t *>(reply)));
    return {values, reply->value_len};
}

inline std::optional<std::uint32_t> FirstValue(const xcb_get_property_reply_t *reply,
                                               xcb_atom_t type) {
    const auto values = Values(reply, type);
    if (values.empty()) return std::nullopt;
    return values.front();
}

// The bytes of an 8-bit property of any type.
inline std::optional<std::string_view> Bytes(const xcb_get_property_reply_t *reply) {
    if (reply == nullptr || reply->format != 8) return std::nullopt;
    return std::string_view(static_cast<const char *>(xcb_get_property_value(
                                const_cast<xcb_get_property_reply_t *>(reply))),
                            reply->value_len);
}

}  // namespace plv::posix::x11
