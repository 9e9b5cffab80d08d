#include "platform/x11/tests/xdnd_source.h"

#include "platform/x11/tests/x11_test_support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

void send(Display* display, Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
  send_client_message(display, to, NoEventMask, to, type, {l0, l1, l2, l3, l4});
}

}  // namespace

xdnd_test_source::xdnd_test_source(Window target, int root_x, int root_y, std::string data, const char* type)
    : target_(target), data_(std::move(data)) {
  display_ = open_test_display();
  if (!display_) return;
  type_ = atom(display_, type);
  source_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display_, atom(display_, "XdndSelection"), source_, CurrentTime);
  const long version = 5;
  send(display_, target_, atom(display_, "XdndEnter"), static_cast<long>(source_), version << 24,
       static_cast<long>(type_), 0, 0);
  send(display_, target_, atom(display_, "XdndPosition"), static_cast<long>(source_), 0,
       (static_cast<long>(root_x) << 16) | (root_y & 0xFFFF), CurrentTime,
       static_cast<long>(atom(display_, "XdndActionCopy")));
}

xdnd_test_source::~xdnd_test_source() {
  if (!display_) return;
  XDestroyWindow(display_, source_);
  XCloseDisplay(display_);
}

bool xdnd_test_source::step() {
  if (!display_) return false;
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = request.requestor;
      reply.xselection.selection = request.selection;
      reply.xselection.target = request.target;
      reply.xselection.time = request.time;
      reply.xselection.property = None;
      if (request.target == type_ && request.property != None) {
        XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data_.data()), static_cast<int>(data_.size()));
        reply.xselection.property = request.property;
      }
      XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
      XFlush(display_);
    } else if (event.type == ClientMessage && event.xclient.message_type == atom(display_, "XdndStatus")) {
      status_seen_ = true;
      accepted_ = event.xclient.data.l[1] & 1;
      if (!dropped_) {
        dropped_ = true;
        if (accepted_) send(display_, target_, atom(display_, "XdndDrop"), static_cast<long>(source_), 0, CurrentTime, 0, 0);
        else send(display_, target_, atom(display_, "XdndLeave"), static_cast<long>(source_), 0, 0, 0, 0);
      }
    } else if (event.type == ClientMessage && event.xclient.message_type == atom(display_, "XdndFinished")) {
      finished_ = true;
      finish_accepted_ = event.xclient.data.l[1] & 1;
    }
  }
  return finished_;
}
