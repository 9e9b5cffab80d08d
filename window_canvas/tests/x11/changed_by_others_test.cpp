// Other clients and window managers change the window or the focus: after each
// change the layer's view (Win32 answers and the runtime's record) must be what
// the X server shows, the window procedure must have seen no state the server
// never showed, and a click must make the window take keys again. Each row runs
// in a process of its own.
#include "window_canvas/tests/x11/changes_session.h"

#include <string>
#include <vector>

#include "window_canvas/canvas.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include "platform/x11/error_trap.h"
#include "platform/x11/tests/x11_test_support.h"

namespace {

using namespace x11_changes;

// What a row needs of the window manager it runs under: the test stage's
// (QUON_X11_WM), none, or one the row starts itself (of the configured kind).
// A row that needs nothing runs under every one; the session's changes and
// checks then hold what that one allows.
enum need : unsigned {
  anywhere = 0,
  unmanaged_display = 1u << 0,  // starts or plays a window manager itself
  under_a_window_manager = 1u << 1,  // the stage's, or one it starts
  keeps_places = 1u << 2,       // the sizes and places asked for, no tiles
  maximizes = 1u << 3,
  iconifies = 1u << 4,
  ewmh = 1u << 5,
  restarts = 1u << 6,
  tiles = 1u << 7,  // keeps its tile: refuses moves, sizes, maximize and iconify
  // The own areas and ShowWindow change the state and come back to 400 x 300.
  stacking_states = keeps_places | maximizes | iconifies,
};

// What of `needs` the window manager lacks, empty when nothing.
std::string lacking(unsigned needs, const window_manager_kind& kind) {
  std::string out;
  auto lacks = [&](unsigned flag, bool has, const char* what) {
    if ((needs & flag) && !has) out += std::string(out.empty() ? "" : ", ") + what;
  };
  lacks(keeps_places, kind.keeps_places, "windows kept where clients place them");
  lacks(maximizes, kind.maximizes, "maximizing");
  lacks(iconifies, kind.iconifies, "iconifying");
  lacks(ewmh, kind.ewmh, "EWMH");
  lacks(restarts, !kind.restart.empty(), "a restart in place");
  lacks(tiles, !kind.keeps_places && !kind.maximizes && !kind.iconifies, "tiles");
  return out;
}

struct step {
  const char* what;
  std::function<void(changes_session&)> act;
};

struct change_row {
  const char* id;  // the test's name
  const char* name;
  unsigned needs;
  std::vector<step> steps;
};

// gtest names a failed case's parameter by this.
void PrintTo(const change_row& row, std::ostream* out) { *out << row.name; }

class changed_by_others : public testing::TestWithParam<change_row> {};

const step click_to_activate{"a click activates it", [](changes_session& t) {
                               POINT point{};
                               ASSERT_TRUE(t.client_point(point));
                               t.click_at(point);
                               EXPECT_TRUE(t.wait_for([&] { return GetActiveWindow() == t.handle; }))
                                   << "waited in vain for the click to activate the window";
                             }};

// The pointer over the window or away from it, and the server's answer to that.
void place_pointer(changes_session& t, bool over) {
  if (over) {
    t.pointer_over();
  } else {
    t.pointer_away();
  }
  t.let_it_act();
}

step focus_to(const char* what, bool pointer_over, std::function<Window(changes_session&)> target) {
  return {what, [=](changes_session& t) {
            place_pointer(t, pointer_over);
            t.set_focus(target(t));
          }};
}

const step unmap_by_other{"another client unmaps it", [](changes_session& t) { EXPECT_EQ(t.unmap_by_other(), ""); }};
const step map_by_other{"another client maps it", [](changes_session& t) { EXPECT_EQ(t.map_by_other(), ""); }};
const step iconify_request{"WM_CHANGE_STATE IconicState",
                           [](changes_session& t) { EXPECT_EQ(t.iconify_request(), ""); }};

step resize_by_other(unsigned width, unsigned height) {
  return {"another client resizes it", [=](changes_session& t) { t.resize_by_other(width, height); }};
}
step move_by_other(int x, int y) {
  return {"another client moves it", [=](changes_session& t) { t.move_by_other(x, y); }};
}

const step our_minimize{"its own minimize area", [](changes_session& t) { EXPECT_EQ(t.own_minimize(), ""); }};
const step our_maximize{"its own maximize area", [](changes_session& t) { EXPECT_EQ(t.own_maximize(), ""); }};
const step restore_by_program{"ShowWindow SW_RESTORE", [](changes_session& t) {
                                ShowWindow(t.handle, SW_RESTORE);
                                EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.map_state == IsViewable; }))
                                    << "waited in vain for the server to show the window mapped";
                              }};

const step window_manager_starts{"openbox starts", [](changes_session& t) { ASSERT_EQ(t.start_window_manager(), ""); }};
// The test stage's window manager, or one of the row's own.
const step window_manager_runs{"a window manager runs", [](changes_session& t) {
                                 if (!x11_window_manager_running(t.other)) {
                                   ASSERT_EQ(t.start_window_manager(), "");
                                 }
                               }};
const step window_manager_restarts{"openbox --restart",
                                   [](changes_session& t) { EXPECT_EQ(t.restart_window_manager(), ""); }};

// A maximized window restored: not maximized, and the X window back at the
// size it had before the maximize.
step restored_to_its_size(const char* what, std::function<void(changes_session&)> restore) {
  return {what, [=](changes_session& t) {
            restore(t);
            EXPECT_TRUE(t.wait_for([&] { return !IsZoomed(t.handle); })) << "waited in vain for IsZoomed to end";
            server_view seen;
            EXPECT_TRUE(t.wait_server([&](const server_view& v) {
              seen = v;
              return v.map_state == IsViewable && v.client.right - v.client.left == window_width &&
                     v.client.bottom - v.client.top == window_height;
            })) << "waited in vain for the X window at "
                << window_width << " x " << window_height << " again; it is " << describe(seen.client);
          }};
}

// A key held while another client takes the keyboard and released under its
// grab; after the grab one tap counts as one press.
step key_held_across_grab(KeySym keysym, const char* key_name, int virtual_key) {
  return {key_name, [=](changes_session& t) {
            xtest_key(t.other, keysym, true);
            EXPECT_TRUE(t.wait_for([&] {
              return t.window->event_code == event_key_down && t.window->event_arg0 == static_cast<uint64_t>(virtual_key);
            })) << "waited in vain for the press of " << key_name;
            EXPECT_TRUE(KeyPressed(key_name)) << "the press of " << key_name << " before the grab";
            EXPECT_EQ(t.grab_keyboard(), "");
            xtest_key(t.other, keysym, false);
            XSync(t.other, False);
            t.let_it_act();
            t.ungrab_keyboard();
            xtest_tap(t.other, keysym);
            // The release the layer gives at the grab's end comes before the
            // tap's own messages: the tap is waited for by its press.
            EXPECT_TRUE(t.wait_for([&] { return KeyPressed(key_name); }))
                << "a tap of " << key_name << " after the grab counts";
            t.let_it_act();
            EXPECT_FALSE(KeyPressed(key_name)) << "a tap of " << key_name << " after the grab counts once";
          }};
}

step tap_r(const char* what, bool pointer_over) {
  return {what, [=](changes_session& t) {
            place_pointer(t, pointer_over);
            xtest_tap(t.other, XK_r);
            t.let_it_act();
          }};
}

// The window shown again after a minimize of its maximized state: maximized again.
step back_maximized(const char* what, std::function<void(changes_session&)> show) {
  return {what, [=](changes_session& t) {
            show(t);
            EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.map_state == IsViewable; }))
                << "waited in vain for the server to show the window mapped";
            EXPECT_TRUE(t.wait_for([&] { return IsZoomed(t.handle) && !IsIconic(t.handle); }))
                << "waited in vain for it to come back maximized";
          }};
}

step show_window(const char* what, int command, std::function<bool(changes_session&, const server_view&)> shows) {
  return {what, [=](changes_session& t) {
            ShowWindow(t.handle, command);
            server_view seen;
            EXPECT_TRUE(t.wait_server([&](const server_view& v) {
              seen = v;
              return shows(t, v);
            })) << "waited in vain for the server to show it; it shows "
                << describe(seen);
          }};
}

const step maximize_by_program = show_window("ShowWindow SW_MAXIMIZE", SW_MAXIMIZE, [](changes_session& t, const server_view& v) {
  return IsZoomed(t.handle) && v.map_state == IsViewable && v.client.right - v.client.left > window_width;
});
const step minimize_by_program = show_window("ShowWindow SW_MINIMIZE", SW_MINIMIZE, [](changes_session& t, const server_view& v) {
  return IsIconic(t.handle) && v.map_state != IsViewable;
});
const step maximize_area_restores =
    restored_to_its_size("its own maximize area (restores)", [](changes_session& t) { t.click_from_right(maximize_area_from_right); });

// Another client writes a state into a property of the shown window that the
// window manager (or nobody) owns.
step property_written(const char* what, const char* property, const char* type, std::vector<unsigned long> value) {
  return {what, [=](changes_session& t) {
            x11_error_trap trap(t.other);
            XChangeProperty(t.other, t.xid, t.atom(property), t.atom(type), 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(value.data()), static_cast<int>(value.size()));
            XSync(t.other, False);
            trap.ok();
            t.let_it_act();
          }};
}

// The focus on another client's window, then the program asks for its own.
std::vector<step> activation_by_program(const char* what, std::function<void(changes_session&)> ask) {
  return {focus_to("focus to another client's window", false, [](changes_session& t) { return t.foreign_window(); }),
          {what, [=](changes_session& t) {
             ask(t);
             t.let_it_act();
           }}};
}

std::vector<step> joined(std::vector<std::vector<step>> parts) {
  std::vector<step> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const change_row rows[] = {
    {"window_manager_starts", "a window manager starts", unmanaged_display, {window_manager_starts}},
    {"window_manager_exits_pointer_over", "a window manager exits with the pointer over the window", unmanaged_display,
     {window_manager_starts,
      click_to_activate,
      {"openbox exits", [](changes_session& t) {
         t.pointer_over();
         EXPECT_EQ(t.stop_window_manager(SIGTERM), "");
       }}}},
    {"window_manager_killed", "a window manager is killed", unmanaged_display,
     {window_manager_starts,
      click_to_activate,
      {"openbox is killed", [](changes_session& t) { EXPECT_EQ(t.stop_window_manager(SIGKILL), ""); }}}},
    {"window_manager_exits_while_minimized", "a window manager exits while the window is minimized", unmanaged_display | iconifies,
     {window_manager_starts,
      our_minimize,
      {"openbox exits", [](changes_session& t) { EXPECT_EQ(t.stop_window_manager(SIGTERM), ""); }}}},
    {"window_manager_starts_while_minimized", "a window manager starts while the window is minimized", unmanaged_display | iconifies,
     {our_minimize,
      {"openbox starts", [](changes_session& t) {
         ASSERT_TRUE(t.manager.start());
         ASSERT_TRUE(t.wait_server([](const server_view& v) { return v.wm_state == IconicState; }))
             << "the window manager keeps it iconic";
       }},
      {"restored from the window manager (another client maps it)",
       [](changes_session& t) { EXPECT_EQ(t.map_by_other(), ""); }}}},
    {"window_manager_restarts", "a window manager restarts", under_a_window_manager | restarts, {window_manager_runs, window_manager_restarts}},
    {"window_manager_restarts_while_minimized", "a window manager restarts while the window is minimized", under_a_window_manager | restarts | iconifies,
     {window_manager_runs, our_minimize, window_manager_restarts}},
    {"window_manager_restarts_while_maximized", "a window manager restarts while the window is maximized", under_a_window_manager | restarts | maximizes,
     {window_manager_runs, our_maximize, window_manager_restarts}},
    {"window_manager_killed_while_maximized_then_maximize_area",
     "a window manager is killed while the window is maximized, then its maximize area restores it",
     unmanaged_display | stacking_states,
     {window_manager_starts,
      our_maximize,
      {"openbox is killed", [](changes_session& t) { EXPECT_EQ(t.stop_window_manager(SIGKILL), ""); }},
      restored_to_its_size("its own maximize area (restores)",
                           [](changes_session& t) { t.click_from_right(maximize_area_from_right); })}},
    {"window_manager_killed_while_maximized_then_restored",
     "a window manager is killed while the window is maximized, then the program restores it", unmanaged_display | stacking_states,
     {window_manager_starts,
      our_maximize,
      {"openbox is killed", [](changes_session& t) { EXPECT_EQ(t.stop_window_manager(SIGKILL), ""); }},
      restored_to_its_size("ShowWindow SW_RESTORE", [](changes_session& t) { ShowWindow(t.handle, SW_RESTORE); })}},
    {"maximized_then_window_manager_starts_then_restored",
     "maximized without a window manager, one starts, the program restores it", unmanaged_display | stacking_states,
     {our_maximize, window_manager_starts,
      restored_to_its_size("ShowWindow SW_RESTORE", [](changes_session& t) { ShowWindow(t.handle, SW_RESTORE); })}},
    {"window_manager_check_rewritten_while_minimized",
     "the root's _NET_SUPPORTING_WM_CHECK written again (same value) while the window is minimized", under_a_window_manager | ewmh | iconifies,
     {window_manager_runs, our_minimize,
      {"_NET_SUPPORTING_WM_CHECK written again", [](changes_session& t) {
         const Atom check = t.atom("_NET_SUPPORTING_WM_CHECK");
         const unsigned long value = t.read_server().wm_check;
         XChangeProperty(t.other, t.root, check, XA_WINDOW, 32, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(&value), 1);
         XSync(t.other, False);
         for (int i = 0; i < 3; ++i) t.let_it_act();
         const server_view v = t.read_server();
         EXPECT_TRUE(v.wm_state == IconicState && v.map_state != IsViewable) << "the window stays iconic";
         EXPECT_TRUE(IsIconic(t.handle)) << "the window stays minimized";
       }}}},
    {"iconified_stale_active_window_then_mapped",
     "iconified by another client, named active while iconic by another client, then mapped", under_a_window_manager | iconifies,
     {window_manager_runs, iconify_request,
      {"_NET_ACTIVE_WINDOW written by another client", [](changes_session& t) {
         const unsigned long value = t.xid;
         XChangeProperty(t.other, t.root, t.atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(&value), 1);
         XSync(t.other, False);
         t.let_it_act();
       }},
      map_by_other}},
    {"keys_held_across_keyboard_grab", "keys held while another client grabs the keyboard", anywhere,
     {key_held_across_grab(XK_r, "R", 'R'), key_held_across_grab(XK_n, "N", 'N'),
      key_held_across_grab(XK_Escape, "ESCAPE", 0x1B)}},
    {"quick_click_on_caption_band", "a quick click on the caption band under a window manager", under_a_window_manager,
     {window_manager_runs,
      {"a press and release on the caption band, then the pointer moves on", [](changes_session& t) {
         const RECT before = t.read_server().client;
         const POINT caption{before.left + (window_width - caption_right_margin) / 2, before.top + 30};
         xtest_motion(t.other, caption.x, caption.y);
         t.let_it_act();
         xtest_button(t.other, 1, true);
         xtest_button(t.other, 1, false);
         t.let_it_act();
         xtest_motion(t.other, caption.x + 200, caption.y + 100);
         t.let_it_act();
         t.let_it_act();
         const RECT after = t.read_server().client;
         EXPECT_TRUE(after.left == before.left && after.top == before.top)
             << "the window followed the pointer from " << describe(before) << " to " << describe(after);
       }}}},
    {"keys_while_inactive_do_not_count", "keys typed while another window has the focus do not count later",
     anywhere,
     {focus_to("focus to another client's window", true, [](changes_session& t) { return t.foreign_window(); }),
      tap_r("R typed, the pointer over the window", true), tap_r("R typed, the pointer away", false),
      focus_to("focus to PointerRoot", true, [](changes_session&) -> Window { return PointerRoot; }),
      tap_r("R typed, the pointer over the window", true),
      {"a click activates it", [](changes_session& t) {
         POINT point{};
         ASSERT_TRUE(t.client_point(point));
         t.click_at(point);
         EXPECT_TRUE(t.wait_for([&] {
           return GetActiveWindow() == t.handle && t.window->focused && t.read_server().focus == t.xid;
         })) << "waited in vain for the click to activate the window";
         EXPECT_FALSE(KeyPressed("R")) << "a key typed while the window was inactive counts after the click";
         xtest_tap(t.other, XK_r);
         EXPECT_TRUE(t.wait_for([&] { return KeyPressed("R"); })) << "a key typed after the click counts";
       }}}},
    {"focus_to_pointer_root_pointer_over", "the focus goes to PointerRoot, the pointer over the window", anywhere,
     {focus_to("focus to PointerRoot", true, [](changes_session&) -> Window { return PointerRoot; })}},
    {"focus_to_pointer_root_pointer_away", "the focus goes to PointerRoot, the pointer away", anywhere,
     {focus_to("focus to PointerRoot", false, [](changes_session&) -> Window { return PointerRoot; })}},
    {"focus_to_none_pointer_over", "the focus goes to none, the pointer over the window", anywhere,
     {focus_to("focus to None", true, [](changes_session&) -> Window { return None; })}},
    {"focus_to_none_pointer_away", "the focus goes to none, the pointer away", anywhere,
     {focus_to("focus to None", false, [](changes_session&) -> Window { return None; })}},
    {"focus_to_other_window_pointer_over", "the focus goes to another client's window, the pointer over ours", anywhere,
     {focus_to("focus to another client's window", true, [](changes_session& t) { return t.foreign_window(); })}},
    {"focus_to_other_window_pointer_away", "the focus goes to another client's window, the pointer away", anywhere,
     {focus_to("focus to another client's window", false, [](changes_session& t) { return t.foreign_window(); })}},
    {"focus_given_by_other", "another client gives the window the focus", anywhere,
     {focus_to("focus to PointerRoot", false, [](changes_session&) -> Window { return PointerRoot; }),
      focus_to("focus to the window", true, [](changes_session& t) -> Window { return t.xid; })}},
    {"keyboard_grab_by_other", "another client grabs the keyboard and lets it go", anywhere,
     {{"a keyboard grab", [](changes_session& t) { EXPECT_EQ(t.grab_keyboard(), ""); }},
      {"the grab's end", [](changes_session& t) { t.ungrab_keyboard(); }}}},
    {"unmap_and_map_by_other", "another client unmaps and maps the window", anywhere, {unmap_by_other, map_by_other}},
    {"iconify_request_then_map", "iconified through WM_CHANGE_STATE, then mapped", anywhere,
     {iconify_request, map_by_other}},
    {"maximize_request_by_other", "maximized through _NET_WM_STATE by another client", anywhere,
     {{"_NET_WM_STATE add maximized", [](changes_session& t) { EXPECT_EQ(t.maximize_request(), ""); }}}},
    {"activate_request_by_other", "activated through _NET_ACTIVE_WINDOW by another client", anywhere,
     {focus_to("focus to another client's window", false, [](changes_session& t) { return t.foreign_window(); }),
      {"_NET_ACTIVE_WINDOW", [](changes_session& t) { EXPECT_EQ(t.activate_request(), ""); }}}},
    {"minimized_resized_mapped", "minimized, resized by another client, mapped", anywhere,
     {our_minimize, resize_by_other(300, 250), map_by_other}},
    {"minimized_moved_mapped", "minimized, moved by another client, mapped", anywhere,
     {our_minimize, move_by_other(164, 164), map_by_other}},
    {"minimized_resized_restored", "minimized, resized by another client, restored by the program", anywhere,
     {our_minimize, resize_by_other(300, 250), restore_by_program}},
    {"maximized_resized", "maximized, resized by another client", anywhere, {our_maximize, resize_by_other(500, 400)}},
    {"maximized_moved", "maximized, moved by another client", anywhere, {our_maximize, move_by_other(100, 100)}},
    {"maximized_unmapped_mapped", "maximized, unmapped and mapped by another client", anywhere,
     {our_maximize, unmap_by_other, map_by_other}},
    {"maximized_minimized_mapped", "maximized, minimized, mapped by another client", anywhere,
     {our_maximize, our_minimize, map_by_other}},
    {"maximized_minimized_resized_mapped", "maximized, minimized, resized by another client, mapped", anywhere,
     {our_maximize, our_minimize, resize_by_other(500, 400), map_by_other}},
    {"maximized_minimized_restored_twice", "maximized, minimized, restored twice by the program", anywhere,
     {our_maximize, our_minimize,
      {"ShowWindow SW_RESTORE (maximized again)", [](changes_session& t) {
         ShowWindow(t.handle, SW_RESTORE);
         EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.map_state == IsViewable; }))
             << "waited in vain for the server to show the window mapped";
       }},
      {"ShowWindow SW_RESTORE (normal)", [](changes_session& t) {
         ShowWindow(t.handle, SW_RESTORE);
         t.let_it_act();
       }}}},
    {"resized_beyond_the_screen", "resized beyond the screen by another client", anywhere, {resize_by_other(1280, 1100)}},
    // The smallest size leaves no plain client area to click: it grows again first.
    {"resized_below_the_minimum", "resized below the minimum by another client, then back", anywhere,
     {resize_by_other(40, 20), resize_by_other(window_width, window_height)}},
    {"moved_partly_off_the_screen", "moved partly off the screen by another client", anywhere, {move_by_other(-150, -120)}},
    {"moved_off_the_screen_and_back", "moved off the screen and back by another client", anywhere,
     {move_by_other(3000, 2500), move_by_other(200, 150)}},
    {"maximized_hidden_moved_shown", "maximized, unmapped and moved off the screen by another client, shown by the program",
     unmanaged_display,
     {our_maximize, unmap_by_other, move_by_other(3000, 2500),
      {"ShowWindow SW_SHOW", [](changes_session& t) {
         ShowWindow(t.handle, SW_SHOW);
         EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.map_state == IsViewable; }))
             << "waited in vain for the server to show the window mapped";
       }}}},
    {"minimize_area_while_window_manager_just_ended", "its minimize area used right after the window manager ends",
     unmanaged_display,
     {window_manager_starts, unmap_by_other,
      {"openbox exits, another client maps it, its own minimize area at once", [](changes_session& t) {
         EXPECT_EQ(t.stop_window_manager(SIGTERM), "");
         EXPECT_EQ(t.map_by_other(), "");
         EXPECT_EQ(t.own_minimize(), "");
       }},
      map_by_other}},
    {"maximize_minimize_map_maximize_area", "its own maximize and minimize areas, mapped by another client, its maximize area",
     stacking_states,
     {our_maximize, our_minimize, back_maximized("another client maps it", [](changes_session& t) { t.map_by_other(); }),
      maximize_area_restores}},
    {"maximize_minimize_restore_maximize_area", "its own maximize and minimize areas, SW_RESTORE, its maximize area",
     stacking_states,
     {our_maximize, our_minimize,
      back_maximized("ShowWindow SW_RESTORE", [](changes_session& t) { ShowWindow(t.handle, SW_RESTORE); }),
      maximize_area_restores}},
    {"maximize_minimize_restore_restore_by_program", "SW_MAXIMIZE, SW_MINIMIZE, SW_RESTORE, SW_RESTORE", stacking_states,
     {maximize_by_program, minimize_by_program,
      back_maximized("ShowWindow SW_RESTORE", [](changes_session& t) { ShowWindow(t.handle, SW_RESTORE); }),
      restored_to_its_size("ShowWindow SW_RESTORE (normal)", [](changes_session& t) { ShowWindow(t.handle, SW_RESTORE); })}},
    {"maximize_and_iconify_requests_in_one_batch_then_mapped",
     "_NET_WM_STATE maximize and WM_CHANGE_STATE Iconic in one batch, mapped by another client, its maximize area",
     under_a_window_manager | ewmh | stacking_states,
     {window_manager_runs,
      {"_NET_WM_STATE add maximized and WM_CHANGE_STATE Iconic, one XSync", [](changes_session& t) {
         t.send_maximize();
         t.send_iconify();
         XSync(t.other, False);
         EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.wm_state == IconicState && v.map_state != IsViewable; }))
             << "waited in vain for the window manager to iconify the window";
       }},
      back_maximized("another client maps it", [](changes_session& t) { t.map_by_other(); }), maximize_area_restores}},
    // Written over the window manager's (or nobody's) state: the server still
    // shows the window, and it keeps answering.
    {"wm_state_iconic_written_resized_maximize_area",
     "WM_STATE Iconic written on the shown window by another client, resized, its maximize area", anywhere,
     {property_written("another client writes WM_STATE Iconic", "WM_STATE", "WM_STATE", {IconicState, None}),
      resize_by_other(350, 250), our_maximize}},
    {"net_wm_state_hidden_written_resized_maximize_area",
     "_NET_WM_STATE_HIDDEN written on the shown window by another client, resized, its maximize area", anywhere,
     {{"another client writes _NET_WM_STATE_HIDDEN",
       [](changes_session& t) {
         property_written("", "_NET_WM_STATE", "ATOM", {t.atom("_NET_WM_STATE_HIDDEN")}).act(t);
       }},
      resize_by_other(350, 250), our_maximize}},
    {"maximize_and_minimize_ignored_then_keys", "maximize and minimize that the window manager ignores, then keys without a click",
     tiles,
     {{"_NET_WM_STATE add maximized", [](changes_session& t) { EXPECT_EQ(t.maximize_request(), ""); }}, iconify_request,
      our_maximize, our_minimize,
      {"R typed, no click", [](changes_session& t) {
         xtest_tap(t.other, XK_r);
         EXPECT_TRUE(t.wait_for([&] { return KeyPressed("R"); })) << "a key typed reaches the window without a click";
         EXPECT_FALSE(IsZoomed(t.handle));
         EXPECT_FALSE(IsIconic(t.handle));
       }}}},
    // Whether the window manager (or, without one, the layer) grants it, the
    // layer reports the window active only with the X focus.
    {"activation_by_program", "the program asks for the focus while another client's window has it", anywhere,
     joined({activation_by_program("SetFocus of the window", [](changes_session& t) { SetFocus(t.handle); }),
             activation_by_program("ShowWindow SW_SHOW", [](changes_session& t) { ShowWindow(t.handle, SW_SHOW); })})},
    {"caption_band_drag", "the caption band dragged by (120, 80)", anywhere,
     {{"a press on the caption band, the pointer moved in steps, a release", [](changes_session& t) {
         const RECT before = t.read_server().client;
         const bool moves = t.running_kind().keeps_places;
         const int dx = moves ? 120 : 0, dy = moves ? 80 : 0;
         t.drag_caption(120, 80);
         server_view seen;
         EXPECT_TRUE(t.wait_server([&](const server_view& v) {
           seen = v;
           return v.client.left == before.left + dx && v.client.top == before.top + dy;
         })) << "the window at " << describe(before) << " moved by (" << dx << ", " << dy << ") to "
             << describe(seen.client);
       }}}},
    {"reparented_and_back", "reparented into another client's window and back", unmanaged_display,
     {{"into another client's window", [](changes_session& t) { t.reparent_into_foreign(); }},
      {"back to the root", [](changes_session& t) { t.reparent_to_root(150, 160); }}}},
};

void run_row(const change_row& row) {
  SCOPED_TRACE(row.name);
  changes_session t;
  t.start();
  if (testing::Test::HasFatalFailure()) return;
  t.open();
  if (testing::Test::HasFatalFailure()) return;
  for (const step& s : row.steps) {
    t.begin_step();
    s.act(t);
    if (testing::Test::HasFatalFailure()) return;
    EXPECT_EQ(t.settle(), "") << "after: " << s.what;
    t.end_step(s.what);
  }
  if (t.read_server().map_state == IsViewable) {
    t.begin_step();
    EXPECT_EQ(t.click_takes_keys(), "") << "after the row's changes";
    EXPECT_EQ(t.settle(), "") << "after the click";
    t.end_step("the click after the row's changes");
  }
  t.finish();
}

}  // namespace

TEST_P(changed_by_others, the_layer_keeps_showing_what_the_server_shows) {
  const change_row& row = GetParam();
  const display_hold hold;
  bool reachable = false;
  const bool managed = window_manager_on_display(reachable);
  if (!reachable) GTEST_SKIP() << "no X server (DISPLAY)";
  if (managed && (row.needs & unmanaged_display)) GTEST_SKIP() << "starts a window manager of its own";
  const window_manager_kind& kind =
      managed || (row.needs & (under_a_window_manager | unmanaged_display)) ? configured_window_manager() : no_window_manager();
  const std::string lacks = lacking(row.needs, kind);
  if (!lacks.empty()) GTEST_SKIP() << kind.name << " lacks " << lacks;
  const child_outcome outcome = run_in_child([&](int) { run_row(row); }, 180);
  switch (outcome.kind) {
    case child_outcome::passed: break;
    case child_outcome::skipped: GTEST_SKIP() << "skipped in its process"; break;
    case child_outcome::failed: ADD_FAILURE() << "the row failed in its process (its failures above)"; break;
    case child_outcome::crashed: ADD_FAILURE() << "the row's process ended by signal " << outcome.status; break;
    case child_outcome::timed_out: ADD_FAILURE() << "the row's process ran out of time and was killed"; break;
  }
}

INSTANTIATE_TEST_SUITE_P(rows, changed_by_others, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<change_row>& info) { return std::string(info.param.id); });

// The checker of the steps' messages, on sequences a faulty layer would send.
TEST(step_message_checks, find_the_states_and_orders_neither_the_server_nor_windows_shows) {
  const LPARAM iconic = MAKELPARAM(-32000, -32000);
  const LPARAM shown = MAKELPARAM(64, 64);
  const LPARAM size = MAKELPARAM(window_width, window_height);
  const procedure_message minimized_size{WM_SIZE, SIZE_MINIMIZED, 0, 0};
  const procedure_message restored_size{WM_SIZE, SIZE_RESTORED, size, 0};
  const procedure_message maximized_size{WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1280, 1024), 0};
  const procedure_message to_iconic{WM_MOVE, 0, iconic, 0};
  const procedure_message to_shown{WM_MOVE, 0, shown, 0};
  const procedure_message kill_focus{WM_KILLFOCUS, 0, 0, 0};
  const procedure_message query_open{WM_QUERYOPEN, 0, 0, 0};
  const procedure_message show{WM_SHOWWINDOW, TRUE, 0, 0};
  const layer_state normal{true, false, false, false};
  const layer_state focused{true, false, false, true};
  const layer_state minimized{true, true, false, false};
  const layer_state maximized{true, false, true, false};
  const layer_state hidden{false, false, false, false};
  const struct {
    const char* what;
    std::vector<procedure_message> messages;
    layer_state before, after;
    const char* fault;  // a part of the fault's description, null for none
  } cases[] = {
      {"a minimize", {to_iconic, minimized_size}, normal, minimized, nullptr},
      {"a restore inside a minimize", {to_shown, restored_size, to_iconic, minimized_size}, minimized, minimized,
       "takes a state again"},
      {"a minimize inside a maximize", {to_iconic, minimized_size, maximized_size}, maximized, maximized,
       "takes a state again"},
      {"a restore and a resize", {to_shown, restored_size, restored_size}, minimized, normal, nullptr},
      {"WM_QUERYOPEN while it stays minimized", {query_open}, minimized, minimized, "WM_QUERYOPEN"},
      {"WM_QUERYOPEN of a restore", {query_open, to_shown, restored_size}, minimized, normal, nullptr},
      {"the iconic place without the minimized size", {to_iconic, restored_size}, normal, normal, "WM_MOVE(-32000"},
      {"the minimized size at a shown place", {to_shown, minimized_size}, normal, minimized, "WM_SIZE(minimized) after"},
      {"a hidden window's size before it is shown", {restored_size, show}, hidden, normal, "before WM_SHOWWINDOW"},
      {"a hidden window shown, then its size", {show, restored_size}, hidden, normal, nullptr},
      {"a minimize that keeps the focus", {to_iconic, minimized_size, kill_focus}, focused, minimized, "WM_KILLFOCUS"},
      {"a minimize after the focus went", {kill_focus, to_iconic, minimized_size}, focused, minimized, nullptr},
  };
  for (const auto& c : cases) {
    const std::string faults = message_faults(c.messages, c.before, c.after);
    if (c.fault)
      EXPECT_NE(faults.find(c.fault), std::string::npos) << c.what << ": " << describe(c.messages) << " gives \"" << faults << "\"";
    else
      EXPECT_EQ(faults, "") << c.what << ": " << describe(c.messages);
  }
}
