#pragma once
// Our windows as XDND (version 5) drop targets for text/uri-list.
//
// The source offers, we answer each position with a status, and at the drop we
// ask for the selection as text/uri-list; when it arrives, the drop is complete
// and its file paths are handed on. The source learns the outcome only from
// `finish` (XdndFinished), which the owner of the drop calls when done with it.
#include <string>
#include <vector>

#include "platform/x11/x11_atoms.h"

typedef union _XEvent XEvent;
typedef unsigned long Window;

struct xdnd_drop {
  Window target = 0;
  Window source = 0;
  int version = 0;
  int root_x = 0, root_y = 0;  // where it was dropped, screen coordinates
  std::vector<std::string> paths;  // UTF-8 (as the source sent them), percent-decoded
};

class xdnd_target {
public:
  xdnd_target(Display* display, const x11_atoms& atoms) : display_(display), atoms_(atoms) {}

  // Announces XDND support on a top-level window.
  void make_aware(Window window);
  // Handles the XDND client messages and the selection answer addressed to our
  // windows; true when the event belonged to the protocol. A completed drop
  // with at least one path is moved into *completed and reported by
  // `dropped`; a drop without usable paths is finished (refused) at once.
  bool handle(const XEvent& event, xdnd_drop* completed, bool* dropped);
  // Tells the source the drop is done.
  void finish(const xdnd_drop& drop, bool accepted);
  // Forgets a window that is being destroyed.
  void forget(Window window);

private:
  void send_status(bool accept);
  void refuse_drop(Window target, Window source, int version);

  Display* display_;
  const x11_atoms& atoms_;
  // The drag in progress (XDND allows one at a time).
  Window source_ = 0;
  Window target_ = 0;
  int version_ = 0;
  bool offers_uri_list_ = false;
  int last_x_ = 0, last_y_ = 0;
  bool awaiting_selection_ = false;
};
