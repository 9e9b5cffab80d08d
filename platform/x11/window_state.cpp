#include "platform/x11/window_state.h"

namespace {

bool marked_iconic(const server_facts& facts) {
  // A window manager's _NET_WM_STATE_HIDDEN counts while it manages the
  // window; one it leaves on a window it let go of does not.
  return facts.wm_state == icccm_state::iconic || (facts.net_hidden && facts.wm_state == icccm_state::normal);
}

// Left where the layer put it, it is still maximized; moved or resized by
// anyone else, it is a normal window of that geometry.
bool layer_maximized(const server_facts& facts, const layer_made& layer) {
  return layer.maximized && same_rect(facts.client, layer.maximized_client);
}

}  // namespace

bool marking_contradicted(const server_facts& facts) {
  return (facts.map == map_state::viewable && marked_iconic(facts)) ||
         (facts.map == map_state::unmapped && facts.wm_state == icccm_state::normal);
}

std::optional<backend_show_state> derive_show_state(const server_facts& facts, bool managed, const layer_made& layer) {
  if (!managed) {
    if (facts.map == map_state::viewable)
      return layer_maximized(facts, layer) ? backend_show_state::maximized : backend_show_state::normal;
    // Out of sight: minimized when the layer minimized it, else hidden by
    // another client (or inside a window that is out of sight).
    return layer.held == backend_show_state::minimized ? backend_show_state::minimized : backend_show_state::hidden;
  }
  const bool iconic = marked_iconic(facts);
  if (facts.map == map_state::viewable) {
    // An iconic client is unmapped (ICCCM): viewable and marked iconic is the
    // moment between the window manager's property and its unmap, or the other
    // way round, unless it lasts.
    if (iconic && !layer.stale_marking) return std::nullopt;
    return facts.net_maximized || layer_maximized(facts, layer) ? backend_show_state::maximized
                                                                : backend_show_state::normal;
  }
  if (iconic) return backend_show_state::minimized;
  // Unmapped and let go by the window manager: hidden. Anything else (mapped
  // in a frame not yet shown, unmapped with its state still normal) is a
  // window manager part way through.
  if (facts.map == map_state::unmapped && (facts.wm_state == icccm_state::withdrawn || layer.stale_marking))
    return backend_show_state::hidden;
  return std::nullopt;
}
