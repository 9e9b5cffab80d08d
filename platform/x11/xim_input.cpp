#include "platform/x11/xim_input.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <clocale>
#include <algorithm>
#include <string>
#include <unordered_map>

#include "platform/x11/keymap.h"

namespace {

// Each context's sink and composition, found from the callbacks' client data.
struct context_state {
  preedit_sink* sink = nullptr;
  preedit_text text;
  bool active = false;
};

std::unordered_map<XIC, context_state*>& context_states() {
  static std::unordered_map<XIC, context_state*> states;
  return states;
}

bool locale_is_utf8(const char* locale) {
  if (!locale) return false;
  std::string l = locale;
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l.find("utf-8") != std::string::npos || l.find("utf8") != std::string::npos;
}

int preedit_start(XIC, XPointer client, XPointer) {
  auto* state = reinterpret_cast<context_state*>(client);
  state->active = true;
  state->text.clear();
  state->sink->preedit_started();
  return -1;  // no length limit
}

// Xlib passes the context as the first argument, typed as XIMProc wants.
void preedit_done(XIM, XPointer client, XPointer) {
  auto* state = reinterpret_cast<context_state*>(client);
  if (!state->active) return;
  state->active = false;
  state->text.clear();
  state->sink->preedit_done();
}

void preedit_draw(XIM, XPointer client, XPointer call) {
  auto* state = reinterpret_cast<context_state*>(client);
  const auto* draw = reinterpret_cast<const XIMPreeditDrawCallbackStruct*>(call);
  if (!draw) return;
  if (!state->active) {
    state->active = true;
    state->sink->preedit_started();
  }
  std::string inserted;
  if (draw->text) {
    if (draw->text->encoding_is_wchar) {
      const wchar_t* wide = draw->text->string.wide_char;
      std::u32string chars;
      for (unsigned short i = 0; wide && i < draw->text->length; ++i) chars += static_cast<char32_t>(wide[i]);
      inserted = encode_utf8(chars);
    } else if (draw->text->string.multi_byte) {
      inserted = draw->text->string.multi_byte;
    }
  }
  state->text.replace(draw->chg_first, draw->chg_length, inserted);
  state->sink->preedit_changed(state->text);
}

void preedit_caret(XIM, XPointer, XPointer) {}

}  // namespace

xim_input::~xim_input() { close(); }

bool xim_input::open(Display* display) {
  if (method_) return true;
  // Bind the method to a UTF-8 locale; the process's own locale is restored.
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = current ? current : "C";
  const bool switched = !locale_is_utf8(current) && std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
  if (XSupportsLocale()) {
    XSetLocaleModifiers("");
    method_ = XOpenIM(display, nullptr, nullptr, nullptr);
    if (!method_) {
      // XMODIFIERS may name a server that is not running.
      XSetLocaleModifiers("@im=none");
      method_ = XOpenIM(display, nullptr, nullptr, nullptr);
    }
  }
  if (switched) std::setlocale(LC_CTYPE, saved.c_str());
  if (!method_) return false;
  XIMStyles* styles = nullptr;
  preedit_callbacks_ = false;
  if (!XGetIMValues(method_, XNQueryInputStyle, &styles, nullptr) && styles) {
    for (unsigned short i = 0; i < styles->count_styles; ++i)
      if (styles->supported_styles[i] == (XIMPreeditCallbacks | XIMStatusNothing)) preedit_callbacks_ = true;
    XFree(styles);
  }
  return true;
}

void xim_input::close() {
  if (method_) XCloseIM(method_);
  method_ = nullptr;
}

XIC xim_input::create_context(Window window, preedit_sink* sink) {
  if (!method_) return nullptr;
  auto* state = new context_state;
  state->sink = sink;
  XIC context = nullptr;
  if (preedit_callbacks_ && sink) {
    XICCallback start{reinterpret_cast<XPointer>(state), preedit_start};
    XIMCallback done{reinterpret_cast<XPointer>(state), preedit_done};
    XIMCallback draw{reinterpret_cast<XPointer>(state), preedit_draw};
    XIMCallback caret{reinterpret_cast<XPointer>(state), preedit_caret};
    XVaNestedList attributes = XVaCreateNestedList(0, XNPreeditStartCallback, &start, XNPreeditDoneCallback, &done,
                                                   XNPreeditDrawCallback, &draw, XNPreeditCaretCallback, &caret,
                                                   nullptr);
    context = XCreateIC(method_, XNInputStyle, XIMPreeditCallbacks | XIMStatusNothing, XNClientWindow, window,
                        XNFocusWindow, window, XNPreeditAttributes, attributes, nullptr);
    XFree(attributes);
  }
  if (!context)
    context = XCreateIC(method_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                        XNFocusWindow, window, nullptr);
  if (!context) {
    delete state;
    return nullptr;
  }
  context_states()[context] = state;
  return context;
}

void xim_input::destroy_context(XIC context) {
  if (!context) return;
  XDestroyIC(context);
  auto found = context_states().find(context);
  if (found != context_states().end()) {
    delete found->second;
    context_states().erase(found);
  }
}

void xim_input::focus(XIC context, bool focused) {
  if (!context) return;
  if (focused) XSetICFocus(context);
  else XUnsetICFocus(context);
}

bool xim_input::filter(XEvent* event) { return method_ && XFilterEvent(event, None); }

std::string xim_input::lookup(XIC context, XEvent* key_press, KeySym* keysym) {
  *keysym = 0;
  char buffer[64];
  if (context) {
    Status status = 0;
    int length = Xutf8LookupString(context, &key_press->xkey, buffer, sizeof buffer, keysym, &status);
    if (status == XBufferOverflow) {
      std::string text(static_cast<size_t>(length), '\0');
      length = Xutf8LookupString(context, &key_press->xkey, text.data(), length, keysym, &status);
      text.resize(status == XLookupChars || status == XLookupBoth ? static_cast<size_t>(std::max(length, 0)) : 0);
      return text;
    }
    if (status == XLookupChars || status == XLookupBoth) return std::string(buffer, static_cast<size_t>(length));
    return {};
  }
  // Without an input method: the keysym's own character.
  XLookupString(&key_press->xkey, buffer, sizeof buffer, keysym, nullptr);
  const char32_t code_point = keysym_code_point(*keysym);
  return code_point ? encode_utf8(std::u32string(1, code_point)) : std::string();
}
