#include "platform/x11/x11_atoms.h"

#include <X11/Xlib.h>

#include <cstring>

bool x11_atoms::intern(Display* display) {
  // Same order as the members.
  static const char* const names[] = {
      "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_STATE",
      "_NET_WM_NAME", "_NET_WM_ICON_NAME", "UTF8_STRING", "_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK",
      "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_STATE_HIDDEN",
      "_NET_WM_MOVERESIZE", "_NET_WM_PID", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
      "XdndAware", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop", "XdndFinished",
      "XdndSelection", "XdndTypeList", "XdndActionCopy", "text/uri-list", "QUON_XDND_DATA",
      "RESOURCE_MANAGER", "_NET_SUPPORTED",
  };
  constexpr int count = sizeof(names) / sizeof(names[0]);
  static_assert(count * sizeof(Atom) == sizeof(x11_atoms), "one name per atom");
  Atom atoms[count] = {};
  if (!XInternAtoms(display, const_cast<char**>(names), count, False, atoms)) return false;
  std::memcpy(static_cast<void*>(this), atoms, sizeof atoms);
  return true;
}
