// The x11 back-end's event translation: X events into Win32 messages.
#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

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

bool same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void x11_backend::pump_events() {
  if (!display_) return;
  if (geometry_reports_) report_geometries();
  // The common case, nothing arrived: one look at Xlib's queue and, at most
  // every 50 microseconds, one poll of the socket; never a round trip. A poll
  // costs a system call, and the API pumps before every drawing call.
  if (XEventsQueued(display_, QueuedAlready) == 0) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_socket_poll_ < std::chrono::microseconds(50)) return;
    last_socket_poll_ = now;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    if (poll(&connection, 1, 0) <= 0) return;
  }
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    handle_event(event);
  }
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
    handle_input2(event);
    return;
  }
  bool dropped = false;
  xdnd_drop drop;
  if (xdnd_->handle(event, &drop, &dropped)) {
    if (!dropped) return;
    x11_window* target = find_xid(drop.target);
    if (!target || !target->accepts_files) {
      xdnd_->finish(drop, false);
      return;
    }
    std::vector<std::u16string> paths;
    for (const std::string& path : drop.paths) paths.push_back(encode_utf16(decode_utf8(path)));
    const POINT point{drop.root_x - target->client.left, drop.root_y - target->client.top};
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
  if (event.type == PropertyNotify && event.xproperty.window == root_) {
    if (event.xproperty.atom == atoms_.net_supporting_wm_check) window_manager_changed();
    else if (event.xproperty.atom == atoms_.net_active_window && window_manager_running()) sync_foreground();
    return;
  }
  if (event.type == DestroyNotify && window_manager_check_ && event.xdestroywindow.window == window_manager_check_) {
    window_manager_changed();  // the window manager ended
    return;
  }
  if (move_.window && handle_move_event(event)) return;
  x11_window* w = find_xid(event.xany.window);
  if (!w) return;
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
      handle_focus(*w, event.xfocus, event.type == FocusIn);
      break;
    case ConfigureNotify:
      handle_configure(*w, event.xconfigure);
      break;
    case DestroyNotify:
      // Windows we destroy ourselves are forgotten before their DestroyNotify arrives.
      // One another client sent (or of another window) destroyed nothing of ours.
      if (event.xany.send_event || event.xdestroywindow.window != w->xid) break;
      // The core's answer frees w (destroy_window).
      w->destroyed_elsewhere = true;
      platform_window_destroyed(w->window);
      return;
    case MapNotify:
      if (!event.xany.send_event) handle_map(*w, event);
      break;
    case UnmapNotify:
      if (!event.xany.send_event) handle_unmap(*w, event);
      break;
    case ReparentNotify:
      // A window manager took the window into its frame or let it go, or another
      // client embedded it: its place on the screen may be another now.
      if (!event.xany.send_event && event.xreparent.window == w->xid) report_position(*w);
      break;
    case PropertyNotify:
      if (event.xproperty.atom == atoms_.net_wm_state || event.xproperty.atom == atoms_.wm_state)
        handle_state_property(*w, &event.xproperty);
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

bool x11_backend::shown_elsewhere(const x11_window& w, const XEvent& event) {
  // Serials wrap; the difference is what counts.
  return !event.xany.send_event && static_cast<long>(event.xany.serial - w.show_serial) >= 0;
}

void x11_backend::handle_map(x11_window& w, const XEvent& event) {
  w.mapped = true;
  // Restored from outside (the window manager's task list, another client), left
  // shown by a window manager that ended, or shown by another client (or by a
  // window manager on another client's request).
  const bool shown =
      w.state == backend_show_state::minimized || (w.state == backend_show_state::hidden && shown_elsewhere(w, event));
  if (!window_manager_running()) {
    // A window maximized by hand still covers the work area: it is shown so.
    if (shown) report_state(w, w.zoomed ? backend_show_state::maximized : backend_show_state::normal);
    return;
  }
  const HWND window = w.window;
  if (shown && w.state == backend_show_state::hidden) report_state(w, backend_show_state::normal);
  // Shown normal or maximized, as the window manager's state says.
  if (platform_native_window(window)) handle_state_property(w);
}

void x11_backend::handle_unmap(x11_window& w, const XEvent& event) {
  w.mapped = false;
  // Reparenting unmaps a window and maps it again: a window manager that starts
  // or ends does so with every window it manages.
  if (reparent_follows(w)) return;
  if (window_manager_running()) {
    // A window manager unmaps its clients itself (iconifying); its changes, and
    // its letting go of a window another client unmapped, arrive through the
    // state properties.
    handle_state_property(w);
    return;
  }
  if ((w.state == backend_show_state::normal || w.state == backend_show_state::maximized) && shown_elsewhere(w, event))
    report_state(w, backend_show_state::hidden);
}

void x11_backend::report_state(x11_window& w, backend_show_state state) {
  w.state = state;
  leave_iconic_hint(w, state);
  if (state == backend_show_state::normal) {
    w.zoomed = false;
    w.normal_client = w.client;
  }
  const HWND window = w.window;
  platform_window_state_changed(window, state);
  if (state == backend_show_state::hidden || state == backend_show_state::minimized || !platform_native_window(window))
    return;
  // What the window system shows is the geometry: a size or place it gave the
  // window meanwhile (another client's, while minimized) counts from now on.
  platform_window_configured(window, w.client);
}

void x11_backend::report_position(x11_window& w) {
  Window child = 0, root = 0;
  int x = 0, y = 0, gx = 0, gy = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  x11_error_trap trap(display_);
  if (!XGetGeometry(display_, w.xid, &root, &gx, &gy, &width, &height, &border, &depth) ||
      !XTranslateCoordinates(display_, w.xid, root_, 0, 0, &x, &y, &child) || !trap.ok())
    return;
  report_client(w, RECT{x, y, x + static_cast<LONG>(width), y + static_cast<LONG>(height)});
}

void x11_backend::report_client(x11_window& w, const RECT& client) {
  if (same_rect(client, w.client)) return;
  w.client = client;
  // Changed while out of sight, it is shown so: no longer covering the work area.
  if (w.state == backend_show_state::minimized || w.state == backend_show_state::hidden) w.zoomed = false;
  if (w.state != backend_show_state::maximized) w.normal_client = client;
  platform_window_configured(w.window, client);
}

bool x11_backend::reparent_follows(const x11_window& w) {
  // A predicate that never matches looks through the whole queue (reading what
  // has arrived) and leaves it as it is.
  struct search {
    Window xid;
    bool found;
  } wanted{w.xid, false};
  XEvent unused;
  XCheckIfEvent(
      display_, &unused,
      [](Display*, XEvent* event, XPointer arg) -> Bool {
        auto* s = reinterpret_cast<search*>(arg);
        if (event->type == ReparentNotify && event->xreparent.window == s->xid) s->found = true;
        return False;
      },
      reinterpret_cast<XPointer>(&wanted));
  return wanted.found;
}

void x11_backend::window_manager_changed() {
  window_manager_known_ = false;
  window_manager_check_ = 0;
  const bool managed = window_manager_running();
  for_each_window([&](x11_window& w) {
    if (managed && !w.mapped && w.state == backend_show_state::minimized) {
      // Minimized while none ran (out of sight, unmapped): given to the window
      // manager as iconic, so that it can be restored from there.
      x11_error_trap trap(display_);
      set_initial_state(w, IconicState);
      w.show_serial = NextRequest(display_);
      XMapWindow(display_, w.xid);
    } else if (managed) {
      handle_state_property(w);
    } else if (w.mapped && w.state == backend_show_state::minimized) {
      report_state(w, backend_show_state::normal);
    }
  });
  sync_foreground();
}

void x11_backend::report_geometries() {
  geometry_reports_ = false;
  for_each_window([](x11_window& w) {
    if (!w.report_geometry) return;
    w.report_geometry = false;
    platform_window_configured(w.window, w.client);
  });
}

void x11_backend::for_each_window(const std::function<void(x11_window&)>& act) {
  // What the core answers may destroy windows: each is looked up again.
  std::vector<HWND> ours;
  for (const auto& [xid, w] : windows_) ours.push_back(w->window);
  for (HWND window : ours)
    if (auto* w = reinterpret_cast<x11_window*>(platform_native_window(window))) act(*w);
}

void x11_backend::sync_foreground() {
  const HWND foreground = foreground_window();
  // Another program's window, or none: none of ours is active.
  platform_foreground_changed(platform_native_window(foreground) ? foreground : nullptr);
}

void x11_backend::compress_motion(XEvent& event) {
  XEvent next;
  while (XEventsQueued(display_, QueuedAlready) > 0) {
    XPeekEvent(display_, &next);
    if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
    XNextEvent(display_, &event);
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

void x11_backend::handle_focus(x11_window& w, const XFocusChangeEvent& event, bool focus_in) {
  // The input method follows the window's own focus: not a grab's, nor the
  // focus that reaches it through the pointer while the focus is PointerRoot.
  if (event.mode != NotifyGrab && event.mode != NotifyUngrab && event.detail != NotifyPointer &&
      event.detail != NotifyInferior) {
    xim_.focus(w.input_context, focus_in);
    if (!focus_in) keys_down_.reset();
  }
  // Whatever the event says, the server's answer now decides: the focus may have
  // moved on again, to another of our windows, to PointerRoot or to none.
  sync_foreground();
}

void x11_backend::handle_configure(x11_window& w, const XConfigureEvent& event) {
  int x = event.x, y = event.y;
  if (!event.send_event) {
    // A real event is relative to the parent, which a window manager's frame makes
    // something other than the root.
    Window child = 0;
    x11_error_trap trap(display_);
    if (!XTranslateCoordinates(display_, w.xid, root_, 0, 0, &x, &y, &child) || !trap.ok()) return;
  }
  report_client(w, RECT{x, y, x + event.width, y + event.height});
}

void x11_backend::handle_state_property(x11_window& w, const XPropertyEvent* property) {
  // Without a window manager nothing sets these properties, so a minimized or
  // maximized window keeps the state we gave it.
  if (w.state == backend_show_state::hidden || !window_manager_running()) return;
  // A change from before our last show request is not news: the request answers it.
  if (property && static_cast<long>(property->serial - w.show_serial) < 0) return;
  bool maximized_vert = false, maximized_horz = false, hidden = false;
  x11_error_trap trap(display_);
  const unsigned long wm_state = read_property_item(display_, w.xid, atoms_.wm_state, atoms_.wm_state);
  x11_property states;
  if (read_property(display_, w.xid, atoms_.net_wm_state, XA_ATOM, 64, &states)) {
    for (unsigned long state : states.items) {
      maximized_vert |= state == atoms_.net_wm_state_maximized_vert;
      maximized_horz |= state == atoms_.net_wm_state_maximized_horz;
      hidden |= state == atoms_.net_wm_state_hidden;
    }
  }
  if (!trap.ok()) return;
  backend_show_state now = backend_show_state::normal;
  if (w.mapped) {
    // A window manager unmaps an iconic client (ICCCM): a mapped one is shown,
    // whatever state a window manager that ended left behind.
    if (maximized_vert && maximized_horz) now = backend_show_state::maximized;
  } else if (wm_state == IconicState || hidden) {
    now = backend_show_state::minimized;
  } else if (wm_state == WithdrawnState && property && property->atom == atoms_.wm_state) {
    // Let go by the window manager (WM_STATE removed): another client unmapped it.
    now = backend_show_state::hidden;
  } else {
    return;  // unmapped on its way to another state
  }
  if (now != w.state) report_state(w, now);
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
