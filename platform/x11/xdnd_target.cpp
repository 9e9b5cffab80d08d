#include "platform/x11/xdnd_target.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string_view>

#include "platform/x11/uri_list.h"
#include "platform/x11/x11_property.h"

namespace {

constexpr int xdnd_version = 5;

}  // namespace

void xdnd_target::make_aware(Window window) {
  const Atom version = xdnd_version;
  XChangeProperty(display_, window, atoms_.xdnd_aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
}

void xdnd_target::forget(Window window) {
  if (target_ == window) {
    source_ = target_ = 0;
    awaiting_selection_ = false;
  }
}

void xdnd_target::send_status(bool accept) {
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = display_;
  reply.xclient.window = source_;
  reply.xclient.message_type = atoms_.xdnd_status;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(target_);
  reply.xclient.data.l[1] = accept ? 1 : 0;  // no rectangle: send every position
  reply.xclient.data.l[4] = accept ? static_cast<long>(atoms_.xdnd_action_copy) : 0;
  XSendEvent(display_, source_, False, NoEventMask, &reply);
  XFlush(display_);
}

void xdnd_target::finish(const xdnd_drop& drop, bool accepted) {
  if (!drop.source) return;
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = display_;
  reply.xclient.window = drop.source;
  reply.xclient.message_type = atoms_.xdnd_finished;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(drop.target);
  if (drop.version >= 5) {
    reply.xclient.data.l[1] = accepted ? 1 : 0;
    reply.xclient.data.l[2] = accepted ? static_cast<long>(atoms_.xdnd_action_copy) : 0;
  }
  XSendEvent(display_, drop.source, False, NoEventMask, &reply);
  XFlush(display_);
}

void xdnd_target::refuse_drop(Window target, Window source, int version) {
  xdnd_drop refused;
  refused.target = target;
  refused.source = source;
  refused.version = version;
  finish(refused, false);
}

bool xdnd_target::handle(const XEvent& event, xdnd_drop* completed, bool* dropped) {
  *dropped = false;
  if (event.type == SelectionNotify) {
    if (!awaiting_selection_ || event.xselection.requestor != target_ ||
        event.xselection.selection != atoms_.xdnd_selection)
      return false;
    awaiting_selection_ = false;
    xdnd_drop drop;
    drop.target = target_;
    drop.source = source_;
    drop.version = version_;
    drop.root_x = last_x_;
    drop.root_y = last_y_;
    source_ = target_ = 0;
    x11_property list;
    // Up to 16 MiB of list; a longer one is cut at that size.
    if (event.xselection.property != None &&
        read_property(display_, drop.target, event.xselection.property, AnyPropertyType, 4L << 20, &list, true) &&
        list.format == 8)
      drop.paths = file_paths_of_uri_list(list.bytes);
    if (drop.paths.empty()) {
      finish(drop, false);
      return true;
    }
    *completed = std::move(drop);
    *dropped = true;
    return true;
  }
  if (event.type != ClientMessage || event.xclient.format != 32) return false;
  const XClientMessageEvent& message = event.xclient;
  const Window source = static_cast<Window>(message.data.l[0]);
  if (message.message_type == atoms_.xdnd_enter) {
    source_ = source;
    target_ = message.window;
    version_ = static_cast<int>((static_cast<unsigned long>(message.data.l[1]) >> 24) & 0xFF);
    offers_uri_list_ = false;
    awaiting_selection_ = false;
    if (message.data.l[1] & 1) {
      // More than three types: the full list is on the source.
      x11_property types;
      if (read_property(display_, source, atoms_.xdnd_type_list, XA_ATOM, 1024, &types))
        for (unsigned long type : types.items) offers_uri_list_ |= type == atoms_.text_uri_list;
    } else {
      for (int i = 2; i <= 4; ++i) offers_uri_list_ |= static_cast<Atom>(message.data.l[i]) == atoms_.text_uri_list;
    }
    return true;
  }
  if (message.message_type == atoms_.xdnd_position) {
    if (source != source_ || message.window != target_) return true;
    last_x_ = static_cast<int>((static_cast<unsigned long>(message.data.l[2]) >> 16) & 0xFFFF);
    last_y_ = static_cast<int>(static_cast<unsigned long>(message.data.l[2]) & 0xFFFF);
    send_status(offers_uri_list_);
    return true;
  }
  if (message.message_type == atoms_.xdnd_leave) {
    if (source == source_) source_ = target_ = 0;
    return true;
  }
  if (message.message_type == atoms_.xdnd_drop) {
    if (source != source_ || message.window != target_ || !offers_uri_list_) {
      refuse_drop(message.window, source, source == source_ ? version_ : xdnd_version);
      if (source == source_) source_ = target_ = 0;
      return true;
    }
    const Time time = version_ >= 1 ? static_cast<Time>(message.data.l[2]) : CurrentTime;
    XConvertSelection(display_, atoms_.xdnd_selection, atoms_.text_uri_list, atoms_.quon_xdnd_data, target_, time);
    XFlush(display_);
    awaiting_selection_ = true;
    return true;
  }
  return false;
}
