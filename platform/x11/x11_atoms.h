#pragma once
// The atoms the back-end uses, interned once per connection in one request.
typedef struct _XDisplay Display;
typedef unsigned long Atom;

struct x11_atoms {
  Atom wm_protocols, wm_delete_window, wm_state;
  Atom net_wm_name, net_wm_icon_name, utf8_string, net_active_window, net_supporting_wm_check;
  Atom net_wm_state, net_wm_state_maximized_vert, net_wm_state_maximized_horz, net_wm_state_hidden;
  Atom net_wm_moveresize, net_wm_pid, net_wm_window_type, net_wm_window_type_normal;
  Atom xdnd_aware, xdnd_enter, xdnd_position, xdnd_status, xdnd_leave, xdnd_drop, xdnd_finished;
  Atom xdnd_selection, xdnd_type_list, xdnd_action_copy, text_uri_list, quon_xdnd_data;
  Atom resource_manager, net_supported;

  // Interns every atom above; false when the server did not answer.
  bool intern(Display* display);
};
