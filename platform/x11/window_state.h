#pragma once
// What the X server shows of one of our windows, and the show state that
// follows from it. Pure logic: the back-end reads the facts, this decides.
#include <optional>

#include "platform/core/backend.h"

// The ICCCM WM_STATE values (0 also when the property is absent).
enum class icccm_state : unsigned long { withdrawn = 0, normal = 1, iconic = 3 };

// The map state of the X window itself: mapped inside an unmapped parent (a
// window manager's frame) is not viewable.
enum class map_state { unmapped, unviewable, viewable };

struct server_facts {
  map_state map = map_state::unmapped;
  icccm_state wm_state = icccm_state::withdrawn;
  bool net_hidden = false;     // _NET_WM_STATE_HIDDEN
  bool net_maximized = false;  // _NET_WM_STATE_MAXIMIZED_VERT and _HORZ
  RECT client{};               // the client area on the root
};

// What the layer made of the window itself: without a window manager the
// state only it can give (nothing else maximizes or minimizes then), and
// under one without EWMH's maximize the maximize it asked for by configure.
struct layer_made {
  backend_show_state held = backend_show_state::hidden;  // what the core has now
  bool maximized = false;  // maximized by hand to `maximized_client`
  RECT maximized_client{};
  // The window manager's marking has been contradicted by the map state for
  // longer than its step: the map state decides.
  bool stale_marking = false;
};

// Marked iconic (WM_STATE, or _NET_WM_STATE_HIDDEN while managed) while
// viewable, or normal while unmapped: what a window manager shows part way
// through a change, and what another client's marking shows for good.
bool marking_contradicted(const server_facts& facts);

// The show state the facts say, or none while the window is between states (a
// window manager part way through a change): the core keeps what it has then.
std::optional<backend_show_state> derive_show_state(const server_facts& facts, bool managed, const layer_made& layer);

inline bool same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool same_size(const RECT& a, const RECT& b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}
