// The x11 back-end's event translation: X events into Win32 messages.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/core/core.h"
#include "platform/x11/error_trap.h"
#include "platform/x11/keymap.h"
#include "platform/x11/preedit_text.h"
#include "platform/x11/x11_property.h"
#include "platform/x11/x11_state.h"

namespace {

constexpr WPARAM vk_packet = 0xE7;  // a key that types text but has no virtual key

LPARAM key_lparam(unsigned keycode, bool alt, bool previously_down, bool release) {
  LPARAM l = 1 | (static_cast<LPARAM>((keycode - 8) & 0xFF) << 16);
  if (alt) l |= 1L << 29;
  if (previously_down) l |= 1L << 30;
  if (release) l |= 1L << 31;
  return l;
}

POINT root_point(int x, int y) { return POINT{x, y}; }

using clock_type = std::chrono::steady_clock;

// How long a request to a window manager holds the core's state before the
// server's is taken, and how long the layer waits for a window manager that
// went away to come back (a restart).
constexpr auto request_patience = std::chrono::milliseconds(2000);
constexpr auto window_manager_return = std::chrono::milliseconds(1000);
// One step of a window manager's change: the configure that follows its
// property, the answer to a configure request, a marking it corrects.
constexpr auto window_manager_step = std::chrono::milliseconds(250);
constexpr auto layer_change_patience = std::chrono::milliseconds(1000);

bool is_layout_event(int type) {
  return type == ConfigureNotify || type == Expose || type == GraphicsExpose || type == NoExpose ||
         type == PropertyNotify;
}

bool is_input_event(int type) {
  return type == KeyPress || type == KeyRelease || type == ButtonPress || type == ButtonRelease ||
         type == MotionNotify || type == EnterNotify || type == LeaveNotify;
}

}  // namespace

void x11_backend::pump_events() {
  if (!display_) return;
  // The common case, nothing arrived: one look at Xlib's queue and, at most
  // every 50 microseconds, one poll of the socket; never a round trip. A poll
  // costs a system call, and the API pumps before every drawing call.
  if (XEventsQueued(display_, QueuedAlready) == 0) {
    const auto now = clock_type::now();
    if (requests_ || window_manager_leaving_ || window_manager_arriving_ || focus_dirty_) settle();
    if (now - last_socket_poll_ < std::chrono::microseconds(50)) return;
    last_socket_poll_ = now;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    if (poll(&connection, 1, 0) <= 0) return;
  }
  bool any = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (!any && !is_layout_event(event.type)) {
      // What arrived may come with changes of the input state: it is read
      // again when asked (the pointer's own events say where it is). A window
      // moved, painted or given a property says nothing of it.
      any = true;
      pointer_known_ = false;
      keymap_known_ = false;
    }
    handle_event(event);
  }
  settle();
}

void x11_backend::settle() {
  if (window_manager_check_changed_) window_manager_check_changed();
  // The windows stay as they are while a window manager may still come back;
  // the focus is followed meanwhile.
  const auto now = clock_type::now();
  const bool arriving = window_manager_arriving_ && now - window_manager_arrived_at_ < window_manager_step;
  if (window_manager_arriving_ && !arriving) {
    window_manager_arriving_ = false;
    window_manager_arrived();
  }
  const bool waiting = arriving || (window_manager_leaving_ && now - window_manager_left_at_ < window_manager_return);
  if (window_manager_leaving_ && !waiting) window_manager_left();
  if (requests_ && !waiting) {
    bool held = false;
    for (auto& [xid, w] : windows_) {
      if (w->state_requested && now - w->state_requested_at > request_patience) w->dirty = true;
      if (w->geometry_requested && now - w->geometry_requested_at > request_patience) w->dirty = true;
      if (w->layer_asked != x11_window::layer_change::none && now - w->layer_asked_at > layer_change_patience)
        w->dirty = true;
      if (w->report_held && now - w->report_held_at > window_manager_step) w->dirty = true;
      if (w->asked && now - w->asked_at > window_manager_step) w->dirty = true;
      if (w->focus_fallback && now - w->focus_fallback_at > window_manager_step) {
        w->focus_fallback = false;
        focus_known_ = false;
        if (input_focus() != w->xid) focus_window(*w);
        focus_dirty_ = true;
      }
      if (w->contradicted && now - w->contradicted_since > window_manager_step) w->dirty = true;
      held |= w->state_requested || w->geometry_requested || w->layer_asked != x11_window::layer_change::none ||
              w->report_held || w->contradicted || w->asked || w->focus_fallback;
      dirty_ |= w->dirty;
    }
    requests_ = held;
  }
  if (dirty_ && !waiting) {
    dirty_ = false;
    for_each_window([this](x11_window& w) {
      if (w.dirty || w.moved) reconcile(w);
    });
  }
  if (focus_dirty_) sync_focus();
}

bool x11_backend::read_facts(x11_window& w) {
  x11_error_trap trap(display_);
  // Events generated before this reading say nothing it does not.
  const unsigned long serial = NextRequest(display_);
  XWindowAttributes attributes{};
  int x = 0, y = 0;
  Window child = 0;
  if (!XGetWindowAttributes(display_, w.xid, &attributes) ||
      !XTranslateCoordinates(display_, w.xid, root_, 0, 0, &x, &y, &child))
    return false;
  server_facts facts;
  facts.map = attributes.map_state == IsViewable     ? map_state::viewable
              : attributes.map_state == IsUnviewable ? map_state::unviewable
                                                     : map_state::unmapped;
  facts.client = {x, y, x + attributes.width, y + attributes.height};
  const unsigned long wm_state = read_property_item(display_, w.xid, atoms_.wm_state, atoms_.wm_state);
  facts.wm_state = wm_state == IconicState   ? icccm_state::iconic
                   : wm_state == NormalState ? icccm_state::normal
                                             : icccm_state::withdrawn;
  x11_property states;
  if (read_property(display_, w.xid, atoms_.net_wm_state, XA_ATOM, 64, &states)) {
    bool vertical = false, horizontal = false;
    for (unsigned long state : states.items) {
      vertical |= state == atoms_.net_wm_state_maximized_vert;
      horizontal |= state == atoms_.net_wm_state_maximized_horz;
      facts.net_hidden |= state == atoms_.net_wm_state_hidden;
    }
    facts.net_maximized = vertical && horizontal;
  }
  POINT frame_at = w.frame_at;
  if (w.frame) {
    Window root = 0;
    int frame_x = 0, frame_y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(display_, w.frame, &root, &frame_x, &frame_y, &width, &height, &border, &depth))
      frame_at = {frame_x, frame_y};
  }
  if (!trap.ok()) return false;
  w.facts = facts;
  w.frame_at = frame_at;
  w.read_serial = serial;
  return true;
}

void x11_backend::reconcile(x11_window& w) {
  // Only moved: the configure itself said where (a full reading otherwise).
  const bool read = w.dirty;
  w.dirty = w.moved = false;
  // Gone: its DestroyNotify follows.
  if (read && !read_facts(w)) return;
  platform_window_view view;
  if (!platform_window_view_of(w.window, view)) return;
  const bool managed = window_manager_running();
  const server_facts& facts = w.facts;
  const auto now = clock_type::now();
  if (w.focus_wanted && facts.map == map_state::viewable) {
    // Shown at last: the focus the program asked for while it was not.
    w.focus_wanted = false;
    focus_window(w);
  }
  if (w.maximize_when_framed && facts.map == map_state::viewable) {
    w.maximize_when_framed = false;
    if (managed && !window_manager_.maximizes) {
      x11_error_trap trap(display_);
      ask_layer_change(w, x11_window::layer_change::maximize, maximized_client(w));
      XFlush(display_);
    }
  }
  if (w.layer_asked != x11_window::layer_change::none) {
    // A maximize or restore asked by configure: the first configure after it
    // answers; one that left the window as it was refused it.
    if (w.layer_answered) {
      if (!same_rect(facts.client, w.layer_from)) {
        w.layer_maximized = w.layer_asked == x11_window::layer_change::maximize;
        w.layer_maximized_client = facts.client;
      }
      w.layer_asked = x11_window::layer_change::none;
    } else if (now - w.layer_asked_at > layer_change_patience) {
      w.layer_asked = x11_window::layer_change::none;
    } else {
      return;  // the window manager is still at it
    }
    w.layer_answered = false;
  }
  if (marking_contradicted(facts) && managed) {
    if (!w.contradicted) {
      w.contradicted = true;
      w.contradicted_since = now;
      requests_ = true;
    }
  } else {
    w.contradicted = false;
  }
  layer_made layer{view.state, w.layer_maximized, w.layer_maximized_client,
                   w.contradicted && now - w.contradicted_since > window_manager_step};
  // settled: the facts say a state (else the window is between states, and
  // the core keeps what it has).
  const std::optional<backend_show_state> derived = derive_show_state(facts, managed, layer);
  bool settled = derived.has_value();
  const backend_show_state state = settled ? *derived : view.state;
  if (facts.map == map_state::viewable && settled && state != backend_show_state::maximized)
    w.layer_maximized = false;  // moved or resized by someone else: no longer the layer's maximize
  if (w.state_requested) {
    // Until the server shows what was asked, the core keeps it.
    if ((settled && state == w.requested_state) || now - w.state_requested_at > request_patience)
      w.state_requested = false;
    else
      settled = false;
  }
  if (w.geometry_requested && now - w.geometry_requested_at > request_patience) w.geometry_requested = false;
  if (w.asked) {
    // A change asked of the window manager is reported once the server shows
    // its state, with the area it has then, whichever of the two comes first;
    // one it leaves unanswered for a step changes nothing.
    const bool shown = settled && state == *w.asked &&
                       (state == backend_show_state::minimized || !same_size(facts.client, w.asked_from));
    if (shown || now - w.asked_at > window_manager_step) w.asked.reset();
    else return;
  }
  auto shown_state = [](backend_show_state s) {
    return s == backend_show_state::normal || s == backend_show_state::maximized;
  };
  // One change, one report: a window manager writes the state before it
  // configures the window, so a change between normal and maximized that has
  // not brought its area yet waits a step for it.
  if (managed && settled && state != view.state && shown_state(state) && shown_state(view.state) &&
      same_size(facts.client, view.client)) {
    if (!w.report_held) {
      w.report_held = true;
      w.report_held_at = now;
      requests_ = true;
      return;
    }
    if (now - w.report_held_at <= window_manager_step) return;
  }
  w.report_held = false;
  const backend_show_state shown = settled ? state : view.state;
  // A settled state has a geometry worth telling: a minimized window's is where
  // it is restored to (unless that is a maximize); a hidden window's comes
  // with its show, after WM_SHOWWINDOW. A window between states that is shown
  // is followed all the same.
  const bool maximized_icon = shown == backend_show_state::minimized && (managed && facts.net_maximized);
  const bool followed = settled || (facts.map == map_state::viewable && shown_state(view.state));
  const bool maximized_area = view.restores_maximized || maximized_icon || view.state == backend_show_state::maximized;
  const bool geometry = followed && !w.geometry_requested && shown != backend_show_state::hidden &&
                        (shown != backend_show_state::minimized || !maximized_area);
  if (shown != view.state) {
    // A window out of sight took no activation: the X focus decides again
    // once it is shown (or hidden).
    focus_dirty_ = true;
    if (shown == backend_show_state::minimized && maximized_icon && view.state != backend_show_state::maximized) {
      // Maximized and iconified in one go: restored, it is maximized again.
      platform_window_state_changed(w.window, shown, nullptr, true);
      return;
    }
    platform_window_state_changed(w.window, shown, geometry ? &facts.client : nullptr);
    return;
  }
  if (!geometry) return;
  const RECT& held = shown == backend_show_state::minimized ? view.restore_client : view.client;
  if (!same_rect(held, facts.client)) platform_window_configured(w.window, facts.client);
}

void x11_backend::window_manager_check_changed() {
  window_manager_check_changed_ = false;
  const window_manager_facts before = window_manager_;
  read_window_manager();
  const window_manager_facts& after = window_manager_;
  // The same window manager writing its property again changes nothing.
  if (after.present == before.present && after.check == before.check && after.owner == before.owner) return;
  if (!after.present) {
    window_manager_leaving_ = true;
    window_manager_left_at_ = clock_type::now();
    return;
  }
  // One came back while the layer waited (a restart), or took over from
  // another: it takes the windows as the last one left them.
  const bool restarted = window_manager_leaving_ || before.present;
  window_manager_leaving_ = false;
  if (!restarted) {
    // Handed over once it is up: one that has just started may pass over
    // what it is asked before its first step.
    window_manager_arriving_ = true;
    window_manager_arrived_at_ = clock_type::now();
  }
  for (auto& [xid, w] : windows_) w->dirty = true;
  dirty_ = true;
  focus_dirty_ = true;
}

void x11_backend::window_manager_arrived() {
  for_each_window([this](x11_window& w) {
    const platform_window_view view = view_of(w);
    x11_error_trap trap(display_);
    read_facts(w);
    if (view.state == backend_show_state::minimized && w.facts.map == map_state::unmapped &&
        w.facts.wm_state != icccm_state::iconic) {
      // Minimized while none ran (out of sight, unmapped): handed over as
      // iconic, so that it can be restored from there.
      set_initial_state(w, IconicState);
      XMapWindow(display_, w.xid);
      request_state(w, backend_show_state::minimized);
    } else if (w.layer_maximized && w.facts.map == map_state::viewable && window_manager_.maximizes) {
      // Maximized by the layer: handed over to be maximized by the window
      // manager (which knows no size to restore it to: the restore brings
      // the core's).
      w.layer_maximized = false;
      w.handed_over_maximized = true;
      write_maximized_state(w);
      send_wm_state(w, true, atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz);
      request_state(w, backend_show_state::maximized);
    }
    XFlush(display_);
  });
}

void x11_backend::window_manager_left() {
  window_manager_leaving_ = false;
  for_each_window([this](x11_window& w) {
    w.state_requested = false;  // nobody is left to answer
    w.geometry_requested = false;
    w.layer_asked = x11_window::layer_change::none;
    w.report_held = w.contradicted = w.handed_over_maximized = w.maximize_when_framed = false;
    w.asked.reset();
    w.dirty = true;
    const platform_window_view view = view_of(w);
    x11_error_trap trap(display_);
    read_facts(w);
    if (view.state == backend_show_state::maximized && w.facts.map == map_state::viewable) {
      // Maximized by the window manager: the layer keeps it so, covering the work area.
      w.layer_maximized = true;
      w.layer_maximized_client = work_area(reinterpret_cast<native_handle>(&w));
      move_resize(w, w.layer_maximized_client);
    }
    XFlush(display_);
  });
  dirty_ = true;
  focus_dirty_ = true;
}

void x11_backend::for_each_window(const std::function<void(x11_window&)>& act) {
  // What the core answers may destroy windows: each is looked up again.
  std::vector<HWND> ours;
  for (const auto& [xid, w] : windows_) ours.push_back(w->window);
  for (HWND window : ours)
    if (auto* w = reinterpret_cast<x11_window*>(platform_native_window(window))) act(*w);
}

void x11_backend::sync_focus() {
  focus_dirty_ = false;
  focus_known_ = false;
  x11_window* w = find_xid(input_focus());
  const HWND focus = w ? w->window : nullptr;
  // Another program's window, or none: none of ours is active.
  platform_foreground_changed(focus);
  // Keyboard input back (a focus change or a grab's end): keys released
  // meanwhile are released now, so that their next press counts.
  if (focus && (w = reinterpret_cast<x11_window*>(platform_native_window(focus))) && GetActiveWindow() == focus)
    sync_keys(*w);
}

void x11_backend::sync_keys(x11_window& w) {
  XQueryKeymap(display_, keymap_.data());
  keymap_known_ = true;
  // Only keys whose press the window was told of: one pressed elsewhere and
  // still held reaches it with its next press.
  for (unsigned code = 8; code < 256; ++code) {
    if (!keys_down_[code] || ((keymap_[code / 8] >> (code % 8)) & 1)) continue;
    keys_down_[code] = false;
    if (key_virtual_keys_[code])
      platform_post(w.window, WM_KEYUP, key_virtual_keys_[code], key_lparam(code, false, true, true));
  }
}

void x11_backend::follow_frame(x11_window& w) {
  forget_frame(w);
  if (!w.parent || w.parent == root_) return;
  // The child of the root that holds it.
  x11_error_trap trap(display_);
  Window at = w.parent;
  for (int depth = 0; depth < 16; ++depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, at, &root, &parent, &children, &count)) return;
    if (children) XFree(children);
    if (!parent || parent == root_) break;
    at = parent;
  }
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display_, at, &root, &x, &y, &width, &height, &border, &depth)) return;
  XSelectInput(display_, at, StructureNotifyMask);
  if (!trap.ok()) return;
  w.frame = at;
  w.frame_at = {x, y};
  frames_[at] = &w;
}

void x11_backend::forget_frame(x11_window& w) {
  if (!w.frame) return;
  frames_.erase(w.frame);
  w.frame = 0;
}

void x11_backend::note_pointer(const XEvent& event) {
  // The pointer events say where it is and what is held: no query after them.
  switch (event.type) {
    case MotionNotify:
      if (!event.xmotion.same_screen) return;
      pointer_ = {event.xmotion.x_root, event.xmotion.y_root};
      pointer_mask_ = event.xmotion.state;
      break;
    case ButtonPress:
    case ButtonRelease: {
      if (!event.xbutton.same_screen) return;
      pointer_ = {event.xbutton.x_root, event.xbutton.y_root};
      // The state is the one before the event.
      const unsigned bit = event.xbutton.button >= Button1 && event.xbutton.button <= Button5
                               ? static_cast<unsigned>(Button1Mask) << (event.xbutton.button - Button1)
                               : 0;
      pointer_mask_ = event.type == ButtonPress ? (event.xbutton.state | bit) : (event.xbutton.state & ~bit);
      break;
    }
    default:
      return;
  }
  pointer_known_ = true;
}

void x11_backend::compress_motion(XEvent& event) {
  XEvent next;
  while (XEventsQueued(display_, QueuedAlready) > 0) {
    XPeekEvent(display_, &next);
    if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
    XNextEvent(display_, &event);
  }
  note_pointer(event);
}

WPARAM x11_backend::mouse_key_state(unsigned int state) const {
  WPARAM keys = 0;
  if (state & Button1Mask) keys |= MK_LBUTTON;
  if (state & Button3Mask) keys |= MK_RBUTTON;
  if (state & Button2Mask) keys |= MK_MBUTTON;
  if (state & ShiftMask) keys |= MK_SHIFT;
  if (state & ControlMask) keys |= MK_CONTROL;
  return keys;
}

void x11_backend::handle_event(XEvent& event) {
  // The input method sees every event first; what it consumes is not ours.
  if (xim_.filter(&event)) return;
  if (event.type == GenericEvent) {
    settle();
    handle_input2(event);
    return;
  }
  bool dropped = false;
  xdnd_drop drop;
  if (xdnd_->handle(event, &drop, &dropped)) {
    if (!dropped) return;
    settle();
    x11_window* target = find_xid(drop.target);
    platform_window_view view;
    if (!target || !target->accepts_files || !platform_window_view_of(target->window, view)) {
      xdnd_->finish(drop, false);
      return;
    }
    std::vector<std::u16string> paths;
    for (const std::string& path : drop.paths) paths.push_back(encode_utf16(decode_utf8(path)));
    const POINT point{drop.root_x - view.client.left, drop.root_y - view.client.top};
    const std::uintptr_t token = next_drop_token_++;
    drops_[token] = std::move(drop);
    platform_post_drop(target->window, paths, point, token);
    return;
  }
  if (event.type == MappingNotify) {
    // Key codes now type other keysyms.
    XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  if (randr_event_base_ >= 0 &&
      (event.type == randr_event_base_ + RRScreenChangeNotify || event.type == randr_event_base_ + RRNotify)) {
    XRRUpdateConfiguration(&event);
    monitors_known_ = false;
    return;
  }
  if (event.xany.window == root_) {
    if (event.type == ConfigureNotify) monitors_known_ = false;  // the screen's size
    if (event.type == PropertyNotify && event.xproperty.atom == atoms_.resource_manager) dpi_ = 0;
    if (event.type == PropertyNotify &&
        (event.xproperty.atom == atoms_.net_supporting_wm_check || event.xproperty.atom == atoms_.net_supported))
      window_manager_check_changed_ = true;
    else if (event.type == FocusIn || event.type == FocusOut)
      focus_dirty_ = true;  // to or from PointerRoot or none
    return;
  }
  if (event.type == DestroyNotify && event.xdestroywindow.window != 0 &&
      (event.xdestroywindow.window == window_manager_.check || event.xdestroywindow.window == window_manager_.owner)) {
    window_manager_check_changed_ = true;  // the window manager ended
    return;
  }
  // Input is translated against the state the server shows now: what the
  // events before it changed is reported first, and a window manager that
  // went away is not waited for any longer.
  if (is_input_event(event.type)) {
    if (window_manager_check_changed_) window_manager_check_changed();
    if (window_manager_leaving_ && (event.type == KeyPress || event.type == ButtonPress)) window_manager_left();
    if (window_manager_arriving_ && (event.type == KeyPress || event.type == ButtonPress)) {
      window_manager_arriving_ = false;
      window_manager_arrived();
    }
    if (dirty_ || focus_dirty_) settle();
  }
  note_pointer(event);
  if (move_.window && handle_move_event(event)) return;
  x11_window* w = find_xid(event.xany.window);
  if (!w) {
    // A window manager's frame moved (without a configure of the window in
    // it, which many send only once a move ends): the window moved with it.
    const auto framed = frames_.find(event.xany.window);
    if (framed == frames_.end()) return;
    x11_window& in = *framed->second;
    if (event.type == ConfigureNotify && event.xconfigure.window == in.frame &&
        static_cast<long>(event.xconfigure.serial - in.read_serial) >= 0) {
      const LONG dx = event.xconfigure.x - in.frame_at.x, dy = event.xconfigure.y - in.frame_at.y;
      in.frame_at = {event.xconfigure.x, event.xconfigure.y};
      if (dx || dy) {
        in.facts.client = {in.facts.client.left + dx, in.facts.client.top + dy, in.facts.client.right + dx,
                           in.facts.client.bottom + dy};
        in.moved = dirty_ = true;
      }
    } else if (event.type == DestroyNotify && event.xdestroywindow.window == in.frame) {
      forget_frame(in);
    }
    return;
  }
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      handle_key(*w, event);
      break;
    case ButtonPress:
    case ButtonRelease:
      handle_button(*w, event.xbutton, event.type == ButtonPress);
      break;
    case MotionNotify:
      // Like the system, only the latest position of a burst is reported.
      compress_motion(event);
      platform_post_mouse(w->window, WM_MOUSEMOVE, mouse_key_state(event.xmotion.state),
                          root_point(event.xmotion.x_root, event.xmotion.y_root));
      break;
    case FocusIn:
    case FocusOut:
      // The input method follows the window's own focus: not a grab's, nor the
      // focus that reaches it through the pointer while the focus is PointerRoot.
      if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
          event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior)
        xim_.focus(w->input_context, event.type == FocusIn);
      // Whatever the event says, the server's answer decides, once the queue is read.
      focus_dirty_ = true;
      break;
    case ConfigureNotify: {
      // Any configure from after a geometry request is the window manager's answer.
      const XConfigureEvent& c = event.xconfigure;
      if (w->geometry_requested && static_cast<long>(c.serial - w->geometry_serial) >= 0) w->geometry_requested = false;
      if (w->layer_asked != x11_window::layer_change::none && static_cast<long>(c.serial - w->layer_serial) >= 0)
        w->layer_answered = true;
      if (c.window == w->xid && (c.send_event || w->parent == root_)) {
        // On the root, or a window manager's own report: the place is on the
        // root, and nothing else is to be read for it.
        w->facts.client = {c.x, c.y, c.x + c.width, c.y + c.height};
        w->moved = true;
        dirty_ = true;
      } else {
        w->dirty = dirty_ = true;
      }
      break;
    }
    case DestroyNotify:
      // Windows we destroy ourselves are forgotten before their DestroyNotify arrives.
      // One another client sent (or of another window) destroyed nothing of ours.
      if (event.xany.send_event || event.xdestroywindow.window != w->xid) break;
      // The core's answer frees w (destroy_window).
      w->destroyed_elsewhere = true;
      platform_window_destroyed(w->window);
      return;
    case ReparentNotify:
      // Taken into a frame or let go: a window manager may have come or gone.
      if (event.xreparent.window == w->xid) {
        w->parent = event.xreparent.parent;
        follow_frame(*w);
      }
      window_manager_check_changed_ = true;
      w->dirty = dirty_ = true;
      break;
    case MapNotify:
    case UnmapNotify:
      w->dirty = dirty_ = true;
      break;
    case PropertyNotify:
      if (event.xproperty.atom == atoms_.net_wm_state || event.xproperty.atom == atoms_.wm_state)
        w->dirty = dirty_ = true;
      break;
    case ClientMessage:
      handle_client_message(*w, event);
      break;
    case LeaveNotify:
    case EnterNotify:
      // A grab the server ended (the window went away, another grab) is a lost capture.
      if (event.xcrossing.mode == NotifyUngrab && capture_ == w->xid) {
        capture_ = 0;
        platform_capture_lost();
      }
      break;
    default:
      break;
  }
}

bool x11_backend::handle_move_event(XEvent& event) {
  switch (event.type) {
    case MotionNotify:
      compress_motion(event);
      if (!(event.xmotion.state & Button1Mask)) {
        end_move();  // released while another client held the pointer
        return false;
      }
      follow_pointer(event.xmotion.x_root, event.xmotion.y_root);
      return true;
    case ButtonPress:
      if (!(event.xbutton.state & Button1Mask)) {
        end_move();  // likewise: this press starts something new
        return false;
      }
      return true;
    case ButtonRelease:
      if (event.xbutton.button == Button1) {
        follow_pointer(event.xbutton.x_root, event.xbutton.y_root);
        end_move();
      }
      return true;
    default:
      return false;
  }
}

void x11_backend::handle_key(x11_window& w, XEvent& event) {
  // Keys are the active window's, as the system delivers them: the X server
  // also sends them to a window the focus reaches only through the pointer.
  if (GetActiveWindow() != w.window) return;
  const bool press = event.type == KeyPress;
  const unsigned keycode = event.xkey.keycode;
  if (event.xkey.time != CurrentTime) last_user_time_ = event.xkey.time;
  std::string text;
  KeySym keysym = 0;
  if (press) text = xim_.lookup(w.input_context, &event, &keysym);
  if (keycode == 0) {
    // Text the input method committed without a key of its own.
    if (!text.empty()) post_text(w, encode_utf16(decode_utf8(text)), false);
    return;
  }
  int virtual_key = virtual_key_of_keysym(XLookupKeysym(&event.xkey, 0));
  if (!virtual_key) virtual_key = virtual_key_of_keysym(keysym);
  if (!virtual_key && !text.empty()) virtual_key = static_cast<int>(vk_packet);
  // A release reports the key its press reported, whatever the key code types now.
  if (!press && keycode < 256 && keys_down_[keycode]) virtual_key = key_virtual_keys_[keycode];
  if (!virtual_key) return;
  if (press && keycode < 256) key_virtual_keys_[keycode] = static_cast<unsigned char>(virtual_key);
  const bool alt_key = virtual_key == VK_MENU;
  const bool alt_held = (event.xkey.state & Mod1Mask) != 0;
  const bool was_down = keycode < 256 && keys_down_[keycode];
  if (keycode < 256) keys_down_[keycode] = press;
  // With Alt held (or Alt itself, except its release after a chord) the system keys.
  const bool system = alt_held || (alt_key && press);
  UINT message = press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  const LPARAM lparam = key_lparam(keycode, alt_held || (alt_key && press), press ? was_down : true, !press);
  if (press) {
    std::u16string units = encode_utf16(decode_utf8(text));
    if (w.composing && !units.empty()) {
      // A result while composing ends the composition with that string.
      post_text(w, units, false);
      units.clear();
    }
    // One entry per posted key-down, text or not, so that the entries stay in
    // step with the messages TranslateMessage is asked about.
    key_texts_.push_back({static_cast<WPARAM>(virtual_key), lparam, std::move(units)});
    if (key_texts_.size() > 256) key_texts_.pop_front();
  }
  platform_post(w.window, message, static_cast<WPARAM>(virtual_key), lparam);
}

void x11_backend::post_text(x11_window& w, const std::u16string& text, bool system) {
  if (w.composing) {
    platform_set_ime_strings(w.window, u"", text);
    platform_post(w.window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
    return;
  }
  for (char16_t unit : text) platform_post(w.window, system ? WM_SYSCHAR : WM_CHAR, unit, 1);
}

void x11_backend::handle_button(x11_window& w, const XButtonEvent& event, bool press) {
  if (event.time != CurrentTime) last_user_time_ = event.time;
  if (press) {
    last_press_ = w.xid;
    last_press_at_ = clock_type::now();
  }
  if (event.button == Button1 && window_manager_move_) {
    // The release came before the window manager took the move over: it would
    // hold the window to the pointer. A new press means the move came and went.
    if (!press && window_manager_move_ == &w) cancel_window_manager_move(w);
    window_manager_move_ = nullptr;
  }
  // A press on the active window that lacks the keyboard (a window manager
  // that did not give it): the focus is read again, so that the press activates.
  if (press && GetActiveWindow() == w.window && focus_known_ && focus_ != w.xid) {
    const HWND window = w.window;
    focus_dirty_ = true;
    settle();
    if (!platform_native_window(window)) return;  // destroyed meanwhile: w is gone
  }
  const POINT screen = root_point(event.x_root, event.y_root);
  WPARAM keys = mouse_key_state(event.state);
  UINT message = 0;
  WPARAM bit = 0;
  switch (event.button) {
    case Button1: message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP; bit = MK_LBUTTON; break;
    case Button2: message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP; bit = MK_MBUTTON; break;
    case Button3: message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP; bit = MK_RBUTTON; break;
    case Button4: case Button5: case 6: case 7: {
      if (!press) return;  // one notch is a press and its release
      const short delta = (event.button == Button4 || event.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
      const UINT wheel = event.button <= Button5 ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
      platform_post_mouse(w.window, wheel, MAKEWPARAM(keys, static_cast<WORD>(delta)), screen);
      return;
    }
    default:
      return;
  }
  // The state holds the buttons before this event; the message carries them after it.
  keys = press ? (keys | bit) : (keys & ~bit);
  platform_post_mouse(w.window, message, keys, screen);
}

void x11_backend::handle_client_message(x11_window& w, XEvent& event) {
  if (event.xclient.message_type != atoms_.wm_protocols || event.xclient.format != 32) return;
  if (static_cast<Atom>(event.xclient.data.l[0]) == atoms_.wm_delete_window) platform_close_requested(w.window);
}

// ---- XInput 2: touch and pen --------------------------------------------------------

void x11_backend::query_input2_devices() {
  if (input2_queried_) return;
  input2_queried_ = true;
  int event = 0, error = 0;
  if (!XQueryExtension(display_, "XInputExtension", &input2_opcode_, &event, &error)) {
    input2_opcode_ = -1;
    return;
  }
  int major = 2, minor = 2;
  if (XIQueryVersion(display_, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) {
    input2_opcode_ = -1;
    return;
  }
  // Pens are the slave pointers with a pressure valuator.
  const Atom pressure = XInternAtom(display_, "Abs Pressure", False);
  int count = 0;
  XIDeviceInfo* devices = XIQueryDevice(display_, XIAllDevices, &count);
  for (int i = 0; devices && i < count; ++i) {
    if (devices[i].use != XISlavePointer) continue;
    for (int c = 0; c < devices[i].num_classes; ++c) {
      if (devices[i].classes[c]->type != XIValuatorClass) continue;
      const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(devices[i].classes[c]);
      if (valuator->label == pressure && valuator->max > valuator->min) {
        pen_pressure_valuator_[devices[i].deviceid] = valuator->number;
        pressure_ranges_[devices[i].deviceid] = {valuator->min, valuator->max};
      }
    }
  }
  if (devices) XIFreeDeviceInfo(devices);
}

void x11_backend::select_input2(x11_window& w) {
  query_input2_devices();
  if (input2_opcode_ < 0 || !w.xid) return;
  // Touch on the master devices; pens on their own devices, so that the mouse
  // keeps arriving as core events.
  std::vector<std::vector<unsigned char>> bits;
  std::vector<XIEventMask> masks;
  bits.reserve(1 + pen_pressure_valuator_.size());  // masks point into these buffers
  bits.emplace_back(XIMaskLen(XI_LASTEVENT), 0);
  XISetMask(bits.back().data(), XI_TouchBegin);
  XISetMask(bits.back().data(), XI_TouchUpdate);
  XISetMask(bits.back().data(), XI_TouchEnd);
  masks.push_back({XIAllMasterDevices, static_cast<int>(bits.back().size()), bits.back().data()});
  for (const auto& [device, valuator] : pen_pressure_valuator_) {
    bits.emplace_back(XIMaskLen(XI_LASTEVENT), 0);
    XISetMask(bits.back().data(), XI_ButtonPress);
    XISetMask(bits.back().data(), XI_ButtonRelease);
    XISetMask(bits.back().data(), XI_Motion);
    masks.push_back({device, static_cast<int>(bits.back().size()), bits.back().data()});
  }
  x11_error_trap trap(display_);
  XISelectEvents(display_, w.xid, masks.data(), static_cast<int>(masks.size()));
  XFlush(display_);
}

void x11_backend::handle_input2(XEvent& event) {
  if (event.xcookie.extension != input2_opcode_ || !XGetEventData(display_, &event.xcookie)) return;
  const auto* device_event = static_cast<const XIDeviceEvent*>(event.xcookie.data);
  x11_window* w = find_xid(device_event->event);
  const int type = event.xcookie.evtype;
  if (w && (type == XI_TouchBegin || type == XI_TouchUpdate || type == XI_TouchEnd)) {
    TOUCHINPUT input{};
    input.x = static_cast<LONG>(device_event->root_x * 100);
    input.y = static_cast<LONG>(device_event->root_y * 100);
    input.dwID = static_cast<DWORD>(device_event->detail);
    input.dwFlags = type == XI_TouchBegin ? TOUCHEVENTF_DOWN : type == XI_TouchEnd ? TOUCHEVENTF_UP : TOUCHEVENTF_MOVE;
    input.dwTime = static_cast<DWORD>(device_event->time);
    platform_post_touch(w->window, {input});
  } else if (w && (type == XI_ButtonPress || type == XI_ButtonRelease || type == XI_Motion)) {
    const auto valuator = pen_pressure_valuator_.find(device_event->sourceid);
    if (valuator != pen_pressure_valuator_.end()) {
      // Pen input as pointer messages, pressure scaled to 0..1024.
      const int number = valuator->second;
      double value = 0;
      const double* values = device_event->valuators.values;
      for (int bit = 0; bit <= number && bit < device_event->valuators.mask_len * 8; ++bit) {
        if (!XIMaskIsSet(device_event->valuators.mask, bit)) continue;
        if (bit == number) value = *values;
        ++values;
      }
      const auto [low, high] = pressure_ranges_[device_event->sourceid];
      const UINT32 pressure = static_cast<UINT32>(std::clamp((value - low) / (high - low), 0.0, 1.0) * 1024.0);
      const UINT32 pointer_id = static_cast<UINT32>(device_event->sourceid);
      POINTER_PEN_INFO pen{};
      pen.pointerInfo.pointerType = PT_PEN;
      pen.pointerInfo.pointerId = pointer_id;
      pen.penMask = PEN_MASK_PRESSURE;
      pen.pressure = pressure;
      platform_set_pointer(pointer_id, PT_PEN, &pen);
      const UINT message = type == XI_ButtonPress ? WM_POINTERDOWN : type == XI_ButtonRelease ? WM_POINTERUP : WM_POINTERUPDATE;
      WORD flags = POINTER_FLAG_INRANGE;
      if (type == XI_ButtonPress || (device_event->buttons.mask_len > 0 && XIMaskIsSet(device_event->buttons.mask, 1)))
        flags |= POINTER_FLAG_INCONTACT | POINTER_FLAG_FIRSTBUTTON;
      const LPARAM position = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(device_event->root_x)),
                                         static_cast<WORD>(static_cast<SHORT>(device_event->root_y)));
      platform_post(w->window, message, MAKEWPARAM(static_cast<WORD>(pointer_id), flags), position);
    }
  }
  XFreeEventData(display_, &event.xcookie);
}
