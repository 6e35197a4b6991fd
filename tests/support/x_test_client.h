// An X client of a test's (or benchmark's) own: it makes windows and sets
// their properties as other programs do.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plv::testing {

class XTestClient {
  public:
    explicit XTestClient(const std::string &display);
    ~XTestClient();
    XTestClient(const XTestClient &) = delete;
    XTestClient &operator=(const XTestClient &) = delete;

    bool connected() const;
    xcb_window_t root() const { return root_; }
    xcb_atom_t Atom(const std::string &name);

    // A small top-level window, not mapped.
    xcb_window_t CreateWindow();
    // An id of this client that names no window.
    xcb_window_t UnusedId();
    void Map(xcb_window_t window);
    void Unmap(xcb_window_t window);
    // Makes the window a child of another, as a window manager puts its
    // clients into frames.
    void Reparent(xcb_window_t window, xcb_window_t parent);
    void Raise(xcb_window_t window);
    void Destroy(xcb_window_t window);
    void SetBytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                  std::string_view bytes);
    void SetValues(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                   const std::vector<std::uint32_t> &values);
    void DeleteProperty(xcb_window_t window, xcb_atom_t property);

    // Returns once the server has carried out every request sent before.
    void Sync();
    // The viewable top-level window whose WM_CLASS has this class, waited
    // for up to thirty seconds; 0 when none shows.
    xcb_window_t AwaitWindowOfClass(const std::string &className);

  private:
    xcb_connection_t *connection_;
    xcb_window_t root_ = 0;
};

}  // namespace plv::testing
