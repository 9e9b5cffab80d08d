#pragma once
// Typed text and compositions through XIM.
//
// The input method is opened in a UTF-8 locale (switched to for the opening
// only when the process runs in another), so committed text and preedit
// strings arrive as UTF-8. Where the method offers on-the-spot preedit, each
// window's context reports composition start, changes and end to its sink;
// otherwise the context has no preedit and only committed text is seen.
#include <string>

#include "platform/x11/preedit_text.h"

typedef struct _XDisplay Display;
typedef struct _XIM* XIM;
typedef struct _XIC* XIC;
typedef union _XEvent XEvent;
typedef unsigned long Window;
typedef unsigned long KeySym;

// Receives a window's composition as the input method draws it.
class preedit_sink {
public:
  virtual void preedit_started() = 0;
  virtual void preedit_changed(const preedit_text& text) = 0;
  virtual void preedit_done() = 0;

protected:
  ~preedit_sink() = default;
};

class xim_input {
public:
  xim_input() = default;
  ~xim_input();
  xim_input(const xim_input&) = delete;
  xim_input& operator=(const xim_input&) = delete;

  // Opens the connection's input method; false when there is none (key text
  // then comes from the keysyms alone).
  bool open(Display* display);
  void close();
  bool is_open() const { return method_ != nullptr; }
  bool offers_preedit() const { return preedit_callbacks_; }

  // A context for one window, reporting to `sink` (which must outlive it);
  // null without an input method.
  XIC create_context(Window window, preedit_sink* sink);
  void destroy_context(XIC context);
  void focus(XIC context, bool focused);

  // True when the input method consumed the event (XFilterEvent).
  bool filter(XEvent* event);
  // The text a key press types, as UTF-8 (empty for none), and its keysym.
  std::string lookup(XIC context, XEvent* key_press, KeySym* keysym);

private:
  XIM method_ = nullptr;
  bool preedit_callbacks_ = false;
};
