#include "platform/x11/x11_backend.h"

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/core/core.h"
#include "platform/x11/error_trap.h"
#include "platform/x11/keymap.h"
#include "platform/x11/preedit_text.h"
#include "platform/x11/x11_property.h"
#include "platform/x11/x11_state.h"

namespace {

// Stands for another program's window in GetForegroundWindow; never one of ours.
HWND__ foreign_window_token{};

constexpr long window_event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                                   PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask |
                                   StructureNotifyMask | PropertyChangeMask | ExposureMask;

std::string utf8_of(const std::u16string& text) {
  std::u32string chars;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      chars += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      chars += unit;  // lone surrogates are dropped by the encoder
    }
  }
  return encode_utf8(chars);
}

int cursor_shape(int cursor_id) {
  switch (cursor_id) {
    case 32513: return XC_xterm;
    case 32514: return XC_watch;
    case 32515: return XC_crosshair;
    case 32642: return XC_bottom_right_corner;  // north-west to south-east
    case 32643: return XC_bottom_left_corner;   // north-east to south-west
    case 32644: return XC_sb_h_double_arrow;
    case 32645: return XC_sb_v_double_arrow;
    case 32646: return XC_fleur;
    case 32649: return XC_hand2;
    default: return XC_left_ptr;
  }
}

// A busy server refuses connections for a moment (its listen queue is full):
// a refused connection is retried for about a second.
// Says why on standard error when it cannot, as X programs do.
Display* open_display() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    std::fprintf(stderr, "x11: cannot open display: DISPLAY is not set\n");
    return nullptr;
  }
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fprintf(stderr, "x11: cannot open display \"%s\"\n", name);
  return nullptr;
}

}  // namespace

platform_backend& platform_backend_get() {
  static x11_backend backend;
  return backend;
}

Display* x11_backend_display() { return static_cast<x11_backend&>(platform_backend_get()).display(); }

unsigned long x11_backend_window(HWND window) {
  const native_handle native = platform_native_window(window);
  return native ? reinterpret_cast<x11_window*>(native)->xid : 0;
}

x11_backend::x11_backend() {
  install_x11_error_handler();
  display_ = open_display();
  if (!display_) return;
  screen_ = DefaultScreen(display_);
  root_ = RootWindow(display_, screen_);
  if (!atoms_.intern(display_)) {
    XCloseDisplay(display_);
    display_ = nullptr;
    return;
  }
  // Auto-repeat then arrives as repeated presses without releases between them.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(display_, True, &detectable);
  wm_selection_ = XInternAtom(display_, ("WM_S" + std::to_string(screen_)).c_str(), False);
  xim_.open(display_);
  xdnd_ = std::make_unique<xdnd_target>(display_, atoms_);
  // The root's size (StructureNotify) and RandR's changes tell when the monitors
  // are to be read again.
  XSelectInput(display_, root_, PropertyChangeMask | FocusChangeMask | StructureNotifyMask);
  int randr_error = 0;
  if (XRRQueryExtension(display_, &randr_event_base_, &randr_error))
    XRRSelectInput(display_, root_, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
  else
    randr_event_base_ = -1;
  read_window_manager();
}

x11_backend::~x11_backend() {
  if (!display_) return;
  // Whatever the program left open goes: contexts first, while their windows
  // still exist. The connection itself stays to the end of the process: closing
  // it unloads the GL driver, whose own allocations would then be reported as
  // leaks of an unknown module.
  glXMakeCurrent(display_, None, nullptr);
  for (x11_context* c : contexts_) {
    glXDestroyContext(display_, c->context);
    delete c;
  }
  contexts_.clear();
  for (font_face* f : fonts_) delete f;
  fonts_.clear();
  for (auto& [xid, w] : windows_) {
    xim_.destroy_context(w->input_context);
    XDestroyWindow(display_, xid);
    if (w->colormap) XFreeColormap(display_, w->colormap);
    delete w;
  }
  windows_.clear();
  for (auto& [id, cursor] : cursors_) XFreeCursor(display_, cursor);
  formats_.reset();
  xdnd_.reset();
  xim_.close();
  XFlush(display_);
}

x11_window* x11_backend::window_of(native_handle window) { return reinterpret_cast<x11_window*>(window); }

x11_window* x11_backend::find_xid(Window xid) const {
  const auto found = windows_.find(xid);
  return found == windows_.end() ? nullptr : found->second;
}

bool x11_backend::window_manager_running() {
  // Read again after what says it may have changed: the root's check
  // property, the end of the check window or the selection owner, a
  // reparenting of one of our windows.
  if (!window_manager_known_) read_window_manager();
  return window_manager_.present;
}

void x11_backend::read_window_manager() {
  window_manager_known_ = true;
  window_manager_ = window_manager_facts{};
  x11_error_trap trap(display_);
  // A window manager is whoever redirects the root's substructure, EWMH or not;
  // the root's attributes say whether anyone does, without taking it.
  XWindowAttributes root_attributes{};
  if (XGetWindowAttributes(display_, root_, &root_attributes))
    window_manager_.present = (root_attributes.all_event_masks & SubstructureRedirectMask) != 0;
  // EWMH: the check window must exist and name itself (one that went away
  // leaves the root's property behind). One that starts may name it before
  // it redirects the root: it is there all the same.
  const Window check = read_property_item(display_, root_, atoms_.net_supporting_wm_check, XA_WINDOW);
  if (check) {
    const Window self = read_property_item(display_, check, atoms_.net_supporting_wm_check, XA_WINDOW);
    XSelectInput(display_, check, StructureNotifyMask);
    if (trap.ok() && self == check) window_manager_.check = check;
  }
  window_manager_.present |= window_manager_.check != 0;
  if (!window_manager_.present) return;
  // ICCCM's manager selection: its owner's end is the window manager's.
  window_manager_.owner = XGetSelectionOwner(display_, wm_selection_);
  if (window_manager_.owner) XSelectInput(display_, window_manager_.owner, StructureNotifyMask);
  if (!window_manager_.check) return;
  x11_property supported;
  if (!read_property(display_, root_, atoms_.net_supported, XA_ATOM, 4096, &supported)) return;
  bool states = false, vertical = false, horizontal = false;
  for (unsigned long atom : supported.items) {
    states |= atom == atoms_.net_wm_state;
    vertical |= atom == atoms_.net_wm_state_maximized_vert;
    horizontal |= atom == atoms_.net_wm_state_maximized_horz;
    window_manager_.moves |= atom == atoms_.net_wm_moveresize;
    window_manager_.activates |= atom == atoms_.net_active_window;
  }
  window_manager_.maximizes = states && vertical && horizontal;
}

glx_format_list& x11_backend::formats() {
  if (!formats_) formats_ = std::make_unique<glx_format_list>(display_, screen_);
  return *formats_;
}

// ---- windows ----------------------------------------------------------------

bool x11_backend::make_x_window(x11_window& w, Visual* visual, int depth, const RECT& client) {
  x11_error_trap trap(display_);
  XSetWindowAttributes attributes{};
  unsigned long mask = CWEventMask | CWBorderPixel | CWBackPixmap | CWColormap;
  attributes.event_mask = window_event_mask;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;
  Colormap colormap = XCreateColormap(display_, root_, visual, AllocNone);
  attributes.colormap = colormap;
  // The shape last set (the arrow at first): the class cursor of every window.
  attributes.cursor = cursor_for(cursor_id_);
  mask |= CWCursor;
  const int width = std::max<LONG>(1, client.right - client.left);
  const int height = std::max<LONG>(1, client.bottom - client.top);
  const Window xid = XCreateWindow(display_, root_, client.left, client.top, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, depth, InputOutput, visual, mask, &attributes);
  if (!trap.ok() || !xid) {
    if (xid) XDestroyWindow(display_, xid);
    XFreeColormap(display_, colormap);
    return false;
  }
  bool was_mapped = false;
  if (w.xid) {
    XWindowAttributes old{};
    was_mapped = XGetWindowAttributes(display_, w.xid, &old) && old.map_state != IsUnmapped;
    if (current_window_ == &w) {
      glXMakeCurrent(display_, None, nullptr);
      current_window_ = nullptr;
      current_context_ = nullptr;
    }
    if (move_.window == &w) move_ = window_move{};
    if (window_manager_move_ == &w) window_manager_move_ = nullptr;
    xim_.destroy_context(w.input_context);
    w.input_context = nullptr;
    xdnd_->forget(w.xid);
    forget_frame(w);
    windows_.erase(w.xid);
    XDestroyWindow(display_, w.xid);
    if (w.colormap) XFreeColormap(display_, w.colormap);
  }
  w.xid = xid;
  w.parent = root_;
  w.colormap = colormap;
  w.visual = XVisualIDFromVisual(visual);
  w.facts = server_facts{};
  w.facts.client = client;
  w.dirty = true;
  dirty_ = true;
  windows_[xid] = &w;
  apply_window_properties(w, client);
  w.input_context = xim_.create_context(xid, &w);
  if (w.touch) select_input2(w);
  if (was_mapped) XMapWindow(display_, xid);
  XFlush(display_);
  return true;
}

void x11_backend::set_normal_hints(x11_window& w, const RECT& client) {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  // Static gravity: the position we give is the client area's, whatever frame
  // the window manager adds.
  hints->flags = PPosition | PSize | USPosition | PWinGravity;
  hints->x = client.left;
  hints->y = client.top;
  hints->width = std::max<LONG>(1, client.right - client.left);
  hints->height = std::max<LONG>(1, client.bottom - client.top);
  hints->win_gravity = StaticGravity;
  // The smallest size also without a largest one: a tiling window manager
  // keeps its tiles at least that large.
  if (w.min_client.cx > 0 || w.min_client.cy > 0 || w.max_client.cx > 0 || w.max_client.cy > 0) {
    hints->flags |= PMinSize;
    hints->min_width = std::max<LONG>(1, w.min_client.cx);
    hints->min_height = std::max<LONG>(1, w.min_client.cy);
  }
  if (w.max_client.cx > 0 && w.max_client.cy > 0) {
    hints->flags |= PMaxSize;
    hints->max_width = std::max<LONG>(hints->min_width, w.max_client.cx);
    hints->max_height = std::max<LONG>(hints->min_height, w.max_client.cy);
  }
  XSetWMNormalHints(display_, w.xid, hints);
  XFree(hints);
}

void x11_backend::set_initial_state(x11_window& w, int state) {
  XWMHints* wm_hints = XAllocWMHints();
  if (!wm_hints) return;
  wm_hints->flags = InputHint | StateHint;
  wm_hints->input = True;
  wm_hints->initial_state = state;
  XSetWMHints(display_, w.xid, wm_hints);
  XFree(wm_hints);
  w.iconic_hint = state == IconicState;
}

void x11_backend::apply_window_properties(x11_window& w, const RECT& client) {
  Atom protocols[] = {atoms_.wm_delete_window};
  XSetWMProtocols(display_, w.xid, protocols, 1);
  set_normal_hints(w, client);
  XClassHint class_hint{const_cast<char*>("quon"), const_cast<char*>("Quon")};
  XSetClassHint(display_, w.xid, &class_hint);
  set_initial_state(w, NormalState);
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display_, w.xid, atoms_.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(display_, w.xid, atoms_.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&atoms_.net_wm_window_type_normal), 1);
  if (w.owner) XSetTransientForHint(display_, w.xid, w.owner);
  const std::string title = utf8_of(w.title);
  XChangeProperty(display_, w.xid, atoms_.net_wm_name, atoms_.utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  XChangeProperty(display_, w.xid, atoms_.net_wm_icon_name, atoms_.utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  XStoreName(display_, w.xid, title.c_str());
  if (w.accepts_files) xdnd_->make_aware(w.xid);
}

native_handle x11_backend::create_window(const backend_window_desc& desc) {
  if (!display_) return 0;
  auto* w = new x11_window;
  w->backend = this;
  w->window = desc.window;
  w->style = desc.style;
  w->min_client = desc.min_client;
  w->max_client = desc.max_client;
  w->title = desc.title;
  if (desc.owner_native) w->owner = window_of(desc.owner_native)->xid;
  if (!make_x_window(*w, DefaultVisual(display_, screen_), DefaultDepth(display_, screen_), desc.client)) {
    delete w;
    return 0;
  }
  return reinterpret_cast<native_handle>(w);
}

void x11_backend::destroy_window(native_handle window) {
  x11_window* w = window_of(window);
  if (!w) return;
  if (current_window_ == w) {
    glXMakeCurrent(display_, None, nullptr);
    current_window_ = nullptr;
    current_context_ = nullptr;
  }
  if (capture_ == w->xid) {
    XUngrabPointer(display_, CurrentTime);
    capture_ = 0;
  }
  if (move_.window == w) move_ = window_move{};  // the grab goes with the X window
  if (window_manager_move_ == w) window_manager_move_ = nullptr;
  xim_.destroy_context(w->input_context);
  xdnd_->forget(w->xid);
  forget_frame(*w);
  windows_.erase(w->xid);
  if (focus_ == w->xid) focus_known_ = false;
  {
    x11_error_trap trap(display_);
    if (!w->destroyed_elsewhere) XDestroyWindow(display_, w->xid);
    if (w->colormap) XFreeColormap(display_, w->colormap);
  }
  // Owned windows keep a dangling transient-for otherwise.
  for (auto& [xid, other] : windows_)
    if (other->owner == w->xid) other->owner = 0;
  delete w;
}

platform_window_view x11_backend::view_of(const x11_window& w) const {
  platform_window_view view;
  view.client = w.facts.client;
  view.restore_client = w.facts.client;
  platform_window_view_of(w.window, view);
  return view;
}

void x11_backend::send_wm_state(x11_window& w, bool add, Atom first, Atom second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w.xid;
  event.xclient.message_type = atoms_.net_wm_state;
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(first);
  event.xclient.data.l[2] = static_cast<long>(second);
  event.xclient.data.l[3] = 1;  // from an application
  XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
}

void x11_backend::write_maximized_state(x11_window& w) {
  const Atom states[] = {atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz};
  XChangeProperty(display_, w.xid, atoms_.net_wm_state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states), 2);
}

void x11_backend::move_resize(x11_window& w, const RECT& client) {
  if (window_manager_running()) {
    // The window manager answers with a configure, whatever it makes of it.
    w.geometry_requested = true;
    w.geometry_serial = NextRequest(display_);
    w.geometry_requested_at = std::chrono::steady_clock::now();
    requests_ = true;
  }
  XMoveResizeWindow(display_, w.xid, client.left, client.top,
                    static_cast<unsigned>(std::max<LONG>(1, client.right - client.left)),
                    static_cast<unsigned>(std::max<LONG>(1, client.bottom - client.top)));
}

void x11_backend::request_state(x11_window& w, backend_show_state state) {
  w.state_requested = true;
  w.requested_state = state;
  w.state_requested_at = std::chrono::steady_clock::now();
  requests_ = true;
}

void x11_backend::set_show_state(native_handle window, backend_show_state state) {
  x11_window* w = window_of(window);
  if (!w) return;
  // The core has the new state and its geometry already: a window shown or
  // hidden, or one a window manager does not know yet (request_show_state
  // takes the rest).
  const platform_window_view view = view_of(*w);
  x11_error_trap trap(display_);
  const bool managed = window_manager_running();
  read_facts(*w);
  // Known to the window manager: mapped, or iconic in its hands.
  const bool withdrawn = w->facts.map == map_state::unmapped && w->facts.wm_state == icccm_state::withdrawn;
  if (w->iconic_hint && state != backend_show_state::minimized) set_initial_state(*w, NormalState);
  if (managed) request_state(*w, state);
  switch (state) {
    case backend_show_state::hidden:
      XWithdrawWindow(display_, w->xid, screen_);
      break;
    case backend_show_state::minimized:
      if (!managed) {
        // Nothing to iconify into: the window goes out of sight.
        XUnmapWindow(display_, w->xid);
      } else if (withdrawn) {
        set_initial_state(*w, IconicState);
        XMapWindow(display_, w->xid);
      } else {
        XIconifyWindow(display_, w->xid, screen_);
      }
      break;
    case backend_show_state::maximized:
      if (managed && window_manager_.maximizes) {
        if (withdrawn) {
          write_maximized_state(*w);
        } else {
          send_wm_state(*w, true, atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz);
        }
      } else if (managed) {
        // A window manager without EWMH's maximize is asked for the work area
        // less its frame once it has framed the window (reconcile).
        w->layer_maximized = false;
        w->maximize_when_framed = true;
      } else {
        // Over the work area, also where a hidden maximized window was moved
        // meanwhile: a maximized window shown is maximized on the screen.
        w->layer_maximized = true;
        w->layer_maximized_client = work_area(window);
        move_resize(*w, w->layer_maximized_client);
      }
      XMapRaised(display_, w->xid);
      break;
    case backend_show_state::normal:
      if (managed) {
        if (w->facts.net_maximized)
          send_wm_state(*w, false, atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz);
        if (w->handed_over_maximized || w->layer_maximized) move_resize(*w, view.client);
        w->handed_over_maximized = w->layer_maximized = false;
      } else {
        // Also on the way back from a window a window manager maximized.
        w->layer_maximized = false;
        move_resize(*w, view.client);
      }
      XMapRaised(display_, w->xid);
      break;
  }
  XFlush(display_);
}

bool x11_backend::request_show_state(native_handle window, backend_show_state state, bool activate) {
  x11_window* w = window_of(window);
  if (!w || !display_ || !window_manager_running()) return false;
  x11_error_trap trap(display_);
  // A window the window manager does not know yet is mapped in the state
  // asked (set_show_state).
  if (!read_facts(*w) || (w->facts.map == map_state::unmapped && w->facts.wm_state == icccm_state::withdrawn))
    return false;
  const platform_window_view view = view_of(*w);
  if (w->iconic_hint && state != backend_show_state::minimized) set_initial_state(*w, NormalState);
  // Out of its icon: ICCCM's map.
  if (state != backend_show_state::minimized && view.state == backend_show_state::minimized)
    XMapWindow(display_, w->xid);
  switch (state) {
    case backend_show_state::minimized:
      // WM_CHANGE_STATE: every ICCCM window manager takes it.
      XIconifyWindow(display_, w->xid, screen_);
      break;
    case backend_show_state::maximized:
      if (w->facts.net_maximized || (w->layer_maximized && same_rect(w->facts.client, w->layer_maximized_client)))
        break;  // maximized in its icon: the map shows it so
      if (window_manager_.maximizes) {
        send_wm_state(*w, true, atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz);
      } else {
        ask_layer_change(*w, x11_window::layer_change::maximize, maximized_client(*w));
      }
      break;
    case backend_show_state::normal:
      if (w->facts.net_maximized) {
        send_wm_state(*w, false, atoms_.net_wm_state_maximized_vert, atoms_.net_wm_state_maximized_horz);
        // Maximized before the window manager came: it knows no size to go back to.
        if (w->handed_over_maximized) move_resize(*w, view.restore_client);
      } else if (w->layer_maximized) {
        ask_layer_change(*w, x11_window::layer_change::restore, view.restore_client);
      }
      w->handed_over_maximized = false;
      break;
    case backend_show_state::hidden:
      return false;
  }
  if (activate && state != backend_show_state::minimized) {
    if (window_manager_.activates) send_active_window(*w);
    else w->focus_wanted = true;  // given once it is viewable
  }
  XFlush(display_);
  w->state_requested = false;  // what was asked before is superseded
  w->asked = state;
  w->asked_from = w->facts.client;
  w->asked_at = std::chrono::steady_clock::now();
  requests_ = true;
  w->dirty = dirty_ = true;
  return trap.ok();
}

void x11_backend::ask_layer_change(x11_window& w, x11_window::layer_change change, const RECT& client) {
  w.layer_asked = change;
  w.layer_answered = false;
  w.layer_from = w.facts.client;
  w.layer_asked_at = std::chrono::steady_clock::now();
  w.layer_serial = NextRequest(display_);
  requests_ = true;
  XMoveResizeWindow(display_, w.xid, client.left, client.top,
                    static_cast<unsigned>(std::max<LONG>(1, client.right - client.left)),
                    static_cast<unsigned>(std::max<LONG>(1, client.bottom - client.top)));
}

RECT x11_backend::maximized_client(x11_window& w) {
  // The work area less the frame the window manager put around it (the
  // child of the root that holds it, followed since its reparenting).
  const RECT work = work_area(reinterpret_cast<native_handle>(&w));
  if (!w.frame) return work;
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display_, w.frame, &root, &x, &y, &width, &height, &border, &depth)) return work;
  const RECT& c = w.facts.client;
  const LONG right = x + static_cast<LONG>(width + 2 * border), bottom = y + static_cast<LONG>(height + 2 * border);
  return RECT{work.left + std::max<LONG>(0, c.left - x), work.top + std::max<LONG>(0, c.top - y),
              work.right - std::max<LONG>(0, right - c.right), work.bottom - std::max<LONG>(0, bottom - c.bottom)};
}

void x11_backend::set_client_rect(native_handle window, const RECT& client) {
  x11_window* w = window_of(window);
  if (!w) return;
  x11_error_trap trap(display_);
  move_resize(*w, client);
  XFlush(display_);
}

void x11_backend::set_title(native_handle window, const std::u16string& title) {
  x11_window* w = window_of(window);
  if (!w) return;
  w->title = title;
  const std::string text = utf8_of(title);
  // Another client may have destroyed the X window just before.
  x11_error_trap trap(display_);
  XChangeProperty(display_, w->xid, atoms_.net_wm_name, atoms_.utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XStoreName(display_, w->xid, text.c_str());
  XFlush(display_);
}

void x11_backend::set_size_limits(native_handle window, SIZE min_client, SIZE max_client) {
  x11_window* w = window_of(window);
  if (!w || (w->min_client.cx == min_client.cx && w->min_client.cy == min_client.cy &&
             w->max_client.cx == max_client.cx && w->max_client.cy == max_client.cy))
    return;
  w->min_client = min_client;
  w->max_client = max_client;
  x11_error_trap trap(display_);
  set_normal_hints(*w, view_of(*w).client);
  XFlush(display_);
}

RECT x11_backend::frame_insets(DWORD, DWORD) { return RECT{0, 0, 0, 0}; }

RECT x11_backend::default_window_rect() { return RECT{64, 64, 64 + 1024, 64 + 768}; }

RECT x11_backend::work_area(native_handle window) {
  if (!display_) return RECT{0, 0, 1, 1};
  const std::vector<monitor_area>& monitors = monitors_now();
  int index = 0;
  for (size_t i = 0; i < monitors.size(); ++i)
    if (monitors[i].primary) index = static_cast<int>(i);
  if (x11_window* w = window_of(window)) {
    const RECT client = view_of(*w).client;
    const int nearest =
        monitor_for_rect(monitors, client.left, client.top, client.right - client.left, client.bottom - client.top);
    if (nearest >= 0) index = nearest;
  }
  const monitor_area& m = monitors[static_cast<size_t>(index)];
  return RECT{m.x, m.y, m.x + m.width, m.y + m.height};
}

void x11_backend::begin_move(native_handle window, POINT point) {
  x11_window* w = window_of(window);
  if (!w) return;
  // The window manager moves it where it can; else the layer does, by
  // configure requests that a window manager carries out.
  if (!window_manager_running() || !window_manager_.moves) {
    begin_move_by_hand(*w, point);
    return;
  }
  // Only while the press that asks for it is held: a window manager that takes
  // over after the release would hold the window to the pointer.
  if (!read_pointer() || !(pointer_mask_ & Button1Mask)) return;
  // The window manager takes the pointer over: the press's implicit grab ends.
  XUngrabPointer(display_, CurrentTime);
  capture_ = 0;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w->xid;
  event.xclient.message_type = atoms_.net_wm_moveresize;
  event.xclient.format = 32;
  event.xclient.data.l[0] = point.x;
  event.xclient.data.l[1] = point.y;
  event.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
  event.xclient.data.l[3] = Button1;
  event.xclient.data.l[4] = 1;
  XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
  XFlush(display_);
  // A release that still reaches us came before the window manager's grab.
  window_manager_move_ = w;
}

void x11_backend::cancel_window_manager_move(x11_window& w) {
  window_manager_move_ = nullptr;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w.xid;
  event.xclient.message_type = atoms_.net_wm_moveresize;
  event.xclient.format = 32;
  event.xclient.data.l[2] = 11;  // _NET_WM_MOVERESIZE_CANCEL
  event.xclient.data.l[3] = Button1;
  event.xclient.data.l[4] = 1;
  x11_error_trap trap(display_);
  XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
  XFlush(display_);
}

void x11_backend::begin_move_by_hand(x11_window& w, POINT press) {
  // A maximized window stays in place, as it does under the system.
  const platform_window_view view = view_of(w);
  if (move_.window || w.facts.map != map_state::viewable || view.state != backend_show_state::normal) return;
  // Only while the press that asked for it is held.
  if (!read_pointer() || !(pointer_mask_ & Button1Mask)) return;
  // The pointer's events come to this window wherever it goes, until the release.
  x11_error_trap trap(display_);
  const int grabbed = XGrabPointer(display_, w.xid, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  if (!trap.ok() || grabbed != GrabSuccess) return;
  move_.window = &w;
  move_.press = press;
  move_.origin = {view.client.left, view.client.top};
  move_.target = move_.origin;
  follow_pointer(pointer_.x, pointer_.y);
}

void x11_backend::follow_pointer(int root_x, int root_y) {
  x11_window& w = *move_.window;
  const POINT target{move_.origin.x + root_x - move_.press.x, move_.origin.y + root_y - move_.press.y};
  if (target.x == move_.target.x && target.y == move_.target.y) return;
  move_.target = target;
  // The server's ConfigureNotify reports the move to the core, as a window
  // manager's would; nothing waits for the server meanwhile.
  x11_error_ignorer ignore(display_);
  XMoveWindow(display_, w.xid, target.x, target.y);
  XFlush(display_);
}

void x11_backend::end_move() {
  move_ = window_move{};
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
}

// ---- pointer, keyboard, focus -----------------------------------------------

bool x11_backend::read_pointer() {
  if (pointer_known_) return true;
  Window root = 0, child = 0;
  int root_x = 0, root_y = 0, x = 0, y = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(display_, root_, &root, &child, &root_x, &root_y, &x, &y, &mask)) return false;
  pointer_ = {root_x, root_y};
  pointer_mask_ = mask;
  pointer_known_ = true;
  return true;
}

bool x11_backend::cursor_pos(POINT& point) {
  // Read once after each batch of events: a frame with none asks the server nothing.
  if (!display_ || !read_pointer()) return false;
  point = pointer_;
  return true;
}

bool x11_backend::async_key_down(int virtual_key) {
  if (!display_) return false;
  switch (virtual_key) {
    case VK_LBUTTON: case VK_RBUTTON: case VK_MBUTTON: case VK_SHIFT: case VK_CONTROL: case VK_MENU: {
      if (!read_pointer()) return false;
      const unsigned int bit = virtual_key == VK_LBUTTON   ? Button1Mask
                               : virtual_key == VK_RBUTTON ? Button3Mask
                               : virtual_key == VK_MBUTTON ? Button2Mask
                               : virtual_key == VK_SHIFT   ? ShiftMask
                               : virtual_key == VK_CONTROL ? ControlMask
                                                           : Mod1Mask;
      return (pointer_mask_ & bit) != 0;
    }
    default:
      break;
  }
  // Other keys: any key code whose keysym maps to the virtual key.
  if (!keymap_known_) {
    XQueryKeymap(display_, keymap_.data());
    keymap_known_ = true;
  }
  for (int code = 8; code < 256; ++code) {
    if (!((keymap_[static_cast<size_t>(code / 8)] >> (code % 8)) & 1)) continue;
    if (virtual_key_of_keysym(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0)) == virtual_key)
      return true;
  }
  return false;
}

std::u16string x11_backend::key_text(UINT, WPARAM virtual_key, LPARAM lParam) {
  for (auto entry = key_texts_.begin(); entry != key_texts_.end(); ++entry) {
    if (entry->virtual_key != virtual_key || entry->lparam != lParam) continue;
    // The entries before it are key-downs that were never translated.
    std::u16string text = std::move(entry->text);
    key_texts_.erase(key_texts_.begin(), entry + 1);
    return text;
  }
  // Not one of our key presses (the program posted it): the entries stay for the
  // presses behind it, and the key types what Windows gives it.
  key_modifiers modifiers;
  modifiers.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  modifiers.caps_lock = (GetKeyState(VK_CAPITAL) & 1) != 0;
  modifiers.control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  modifiers.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  return posted_key_text(static_cast<int>(virtual_key), layout_keysym(virtual_key, lParam, modifiers.shift), modifiers);
}

KeySym x11_backend::layout_keysym(WPARAM virtual_key, LPARAM lParam, bool shift) {
  if (!display_ || virtual_key == 0 || virtual_key > 0xFF) return 0;
  auto is_the_key = [&](unsigned code) {
    return virtual_key_of_keysym(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0)) ==
           static_cast<int>(virtual_key);
  };
  // The key of the scan code, as our own key messages carry it, else the first
  // key code of that virtual key.
  unsigned code = static_cast<unsigned>((lParam >> 16) & 0xFF) + 8;
  if (code > 255 || !is_the_key(code)) {
    code = 0;
    for (unsigned candidate = 8; candidate <= 255 && !code; ++candidate)
      if (is_the_key(candidate)) code = candidate;
  }
  if (!code) return 0;
  const KeySym shifted = shift ? XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 1) : NoSymbol;
  return shifted != NoSymbol ? shifted : XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0);
}

Window x11_backend::input_focus() {
  if (!focus_known_) {
    int revert = 0;
    XGetInputFocus(display_, &focus_, &revert);
    focus_known_ = true;
  }
  return focus_;
}

HWND x11_backend::foreground_window() {
  if (!display_) return nullptr;
  // The window with the keyboard is the foreground window; PointerRoot, none
  // or the root is none. Read again only after focus events.
  const Window focus = input_focus();
  if (focus == None || focus == PointerRoot || focus == root_) return nullptr;
  if (x11_window* w = find_xid(focus)) return w->window;
  return &foreign_window_token;
}

bool x11_backend::request_activation(native_handle window) {
  x11_window* w = window_of(window);
  if (!w || !display_ || !window_manager_running() || !window_manager_.activates) return false;
  x11_error_trap trap(display_);
  send_active_window(*w);
  XFlush(display_);
  // One that has the focus already gets no focus event: read it again.
  focus_dirty_ = true;
  // Asked for a click on it: the click's window gets the focus either way.
  const auto now = std::chrono::steady_clock::now();
  if (last_press_ == w->xid && now - last_press_at_ < std::chrono::milliseconds(500)) {
    w->focus_fallback = true;
    w->focus_fallback_at = now;
    requests_ = true;
  }
  return true;
}

void x11_backend::send_active_window(x11_window& w) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w.xid;
  event.xclient.message_type = atoms_.net_active_window;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  // The time of the user's last key or button: a window manager preventing
  // focus stealing weighs the request by it.
  event.xclient.data.l[1] = static_cast<long>(last_user_time_);
  XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
}

void x11_backend::focus_window(x11_window& w) {
  x11_error_trap trap(display_);
  XRaiseWindow(display_, w.xid);
  // A window that is not viewable refuses the focus (BadMatch): it gets it
  // once it is shown.
  XSetInputFocus(display_, w.xid, RevertToParent, CurrentTime);
  if (!trap.ok()) w.focus_wanted = true;
  focus_known_ = false;  // read again after the request, not at its FocusIn
}

void x11_backend::activate_window(native_handle window) {
  x11_window* w = window_of(window);
  if (!w) return;
  // The core activated it: a window manager without EWMH's activation, or
  // none, leaves the focus to the client.
  focus_window(*w);
  XFlush(display_);
}

void x11_backend::set_capture(native_handle window) {
  if (!display_) return;
  x11_window* w = window_of(window);
  if (!w) {
    if (capture_) XUngrabPointer(display_, CurrentTime);
    capture_ = 0;
    XFlush(display_);
    return;
  }
  x11_error_trap trap(display_);
  const int result = XGrabPointer(display_, w->xid, True,
                                  ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                      LeaveWindowMask,
                                  GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  capture_ = result == GrabSuccess && trap.ok() ? w->xid : 0;
}

Cursor x11_backend::cursor_for(int cursor_id) {
  const auto found = cursors_.find(cursor_id);
  if (found != cursors_.end()) return found->second;
  Cursor cursor = None;
  if (cursor_id == 0) {
    // Hidden: a cursor of one transparent pixel.
    static const char blank = 0;
    Pixmap pixmap = XCreateBitmapFromData(display_, root_, &blank, 1, 1);
    XColor black{};
    cursor = XCreatePixmapCursor(display_, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display_, pixmap);
  } else {
    cursor = XCreateFontCursor(display_, static_cast<unsigned>(cursor_shape(cursor_id)));
  }
  cursors_[cursor_id] = cursor;
  return cursor;
}

void x11_backend::set_cursor(int cursor_id) {
  if (!display_ || cursor_id == cursor_id_) return;
  cursor_id_ = cursor_id;
  const Cursor cursor = cursor_for(cursor_id);
  x11_error_trap trap(display_);
  for (auto& [xid, w] : windows_) XDefineCursor(display_, xid, cursor);
  XFlush(display_);
}

// ---- monitors and DPI ---------------------------------------------------------

UINT x11_backend::window_dpi(native_handle) {
  if (!display_) return 0;
  // Read again when the desktop changes the root's resources (Xft.dpi).
  if (!dpi_) {
    x11_property resources;
    if (read_property(display_, root_, atoms_.resource_manager, XA_STRING, 1L << 16, &resources))
      dpi_ = dpi_of_resources(resources.bytes);
    if (!dpi_) dpi_ = USER_DEFAULT_SCREEN_DPI;
  }
  return dpi_;
}

const std::vector<monitor_area>& x11_backend::monitors_now() {
  // Read again after the screen or RandR's layout changed.
  if (!monitors_known_) {
    monitors_ = query_monitors(display_, screen_);
    monitors_known_ = true;
  }
  return monitors_;
}

std::uintptr_t x11_backend::window_monitor(native_handle window, DWORD flags) {
  x11_window* w = window_of(window);
  if (!display_ || !w) return 0;
  const std::vector<monitor_area>& monitors = monitors_now();
  const RECT r = view_of(*w).client;
  int index = monitor_for_rect(monitors, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (index < 0) return 0;
  const monitor_area& m = monitors[static_cast<size_t>(index)];
  const bool overlaps = r.left < m.x + m.width && m.x < r.right && r.top < m.y + m.height && m.y < r.bottom;
  if (!overlaps) {
    if (flags == MONITOR_DEFAULTTONULL) return 0;
    if (flags == MONITOR_DEFAULTTOPRIMARY) {
      for (size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].primary) index = static_cast<int>(i);
    }
  }
  // A monitor keeps its id while the process runs; the screen fallback is name 0.
  const unsigned long name = monitors[static_cast<size_t>(index)].name;
  for (const auto& [known, id] : monitor_ids_)
    if (known == name) return id;
  const std::uintptr_t id = monitor_ids_.size() + 1;
  monitor_ids_.push_back({name, id});
  return id;
}

// ---- touch and file drop --------------------------------------------------------

void x11_backend::register_touch(native_handle window) {
  x11_window* w = window_of(window);
  if (!w) return;
  w->touch = true;
  select_input2(*w);
}

void x11_backend::accept_files(native_handle window, bool accept) {
  x11_window* w = window_of(window);
  if (!w) return;
  w->accepts_files = accept;
  x11_error_trap trap(display_);
  if (accept) xdnd_->make_aware(w->xid);
  else XDeleteProperty(display_, w->xid, atoms_.xdnd_aware);
  XFlush(display_);
}

void x11_backend::drop_finished(std::uintptr_t token) {
  const auto found = drops_.find(token);
  if (found == drops_.end()) return;
  x11_error_trap trap(display_);
  xdnd_->finish(found->second, true);
  drops_.erase(found);
}

// ---- input method ----------------------------------------------------------------

void x11_window::preedit_started() {
  composing = true;
  platform_set_ime_strings(window, u"", u"");
  platform_post(window, WM_IME_STARTCOMPOSITION, 0, 0);
}

void x11_window::preedit_changed(const preedit_text& text) {
  platform_set_ime_strings(window, text.utf16(), u"");
  platform_post(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
}

void x11_window::preedit_done() {
  composing = false;
  platform_post(window, WM_IME_ENDCOMPOSITION, 0, 0);
}
