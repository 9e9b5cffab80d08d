// Random sequences of the table's changes, back to back: once a sequence is
// over, the layer's view must be what the server shows, and a click must give
// the window the X focus and a key must reach it. Each sequence runs in a
// process of its own, its actions drawn from a generator seeded for it.
//
// QUON_X11_RANDOM_SEED=<seed> runs the one sequence of that seed (a failure
// names it); QUON_X11_RANDOM_SEQUENCES=<n> runs n sequences, seeded from
// QUON_X11_RANDOM_BASE_SEED (default 1) on.
#include "window_canvas/tests/x11/changes_session.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "window_canvas/canvas.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/keysym.h>

#include "platform/x11/error_trap.h"
#include "platform/x11/tests/x11_test_support.h"

namespace {

using namespace x11_changes;

// About two minutes of sequences in one run.
constexpr unsigned default_sequences = 16;
constexpr unsigned default_base_seed = 1;
constexpr double sequence_seconds = 150;

using random_engine = std::mt19937;

struct sequence_state {
  bool managed_at_start = false;  // the stage's window manager runs: none of our own
  bool own_manager = false;
  bool grabbed = false;
  const window_manager_kind* kind = &x11_changes::no_window_manager();  // the one that runs
};

struct action {
  const char* name;
  bool (*possible)(const sequence_state&);
  // Acts; what it drew, empty when it draws nothing.
  std::string (*act)(changes_session&, random_engine&, sequence_state&);
};

bool always(const sequence_state&) { return true; }
bool no_window_manager(const sequence_state& s) { return !s.managed_at_start && !s.own_manager; }
bool own_window_manager(const sequence_state& s) { return s.own_manager; }
// A request to the window manager in EWMH's terms: nobody but one with EWMH
// reads it, and without a window manager the layer must let it pass.
bool ewmh_or_none(const sequence_state& s) { return s.kind->ewmh || no_window_manager(s); }
bool restarts_in_place(const sequence_state& s) { return !s.kind->restart.empty() && !no_window_manager(s); }
bool keeps_places(const sequence_state& s) { return s.kind->keeps_places; }

template <class T, size_t count>
const T& pick(random_engine& random, const T (&choices)[count]) {
  return choices[std::uniform_int_distribution<size_t>(0, count - 1)(random)];
}

// An action that is one call of the session and draws nothing; what it waited
// for is checked once the sequence settles.
template <std::string (changes_session::*call)()>
std::string just(changes_session& t, random_engine&, sequence_state&) {
  (t.*call)();
  return std::string();
}

std::string focus_to(changes_session& t, random_engine& random, Window to) {
  const bool over = std::uniform_int_distribution<int>(0, 1)(random) == 1;
  if (over) {
    t.pointer_over();
  } else {
    t.pointer_away();
  }
  t.set_focus(to);
  t.pump();
  return over ? "the pointer over the window" : "the pointer away";
}

const action actions[] = {
    {"another client unmaps it", always, just<&changes_session::unmap_by_other>},
    {"another client maps it", always, just<&changes_session::map_by_other>},
    {"WM_CHANGE_STATE IconicState", always, just<&changes_session::iconify_request>},
    {"_NET_WM_STATE add maximized", ewmh_or_none, just<&changes_session::maximize_request>},
    {"_NET_ACTIVE_WINDOW", ewmh_or_none, just<&changes_session::activate_request>},
    {"focus to PointerRoot", always,
     [](changes_session& t, random_engine& random, sequence_state&) { return focus_to(t, random, PointerRoot); }},
    {"focus to None", always,
     [](changes_session& t, random_engine& random, sequence_state&) { return focus_to(t, random, None); }},
    {"focus to another client's window", always,
     [](changes_session& t, random_engine& random, sequence_state&) { return focus_to(t, random, t.foreign_window()); }},
    {"focus to the window", always,
     [](changes_session& t, random_engine& random, sequence_state&) { return focus_to(t, random, t.xid); }},
    {"a keyboard grab", always, [](changes_session& t, random_engine&, sequence_state& s) {
       t.grab_keyboard();
       s.grabbed = true;
       return std::string();
     }},
    {"the keyboard grab's end", always, [](changes_session& t, random_engine&, sequence_state& s) {
       t.ungrab_keyboard();
       s.grabbed = false;
       return std::string();
     }},
    {"another client resizes it", always, [](changes_session& t, random_engine& random, sequence_state&) {
       static const SIZE sizes[] = {{300, 250}, {500, 400}, {1280, 1100}, {40, 20}, {window_width, window_height}};
       const SIZE size = pick(random, sizes);
       t.resize_by_other(static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy));
       return std::to_string(size.cx) + " x " + std::to_string(size.cy);
     }},
    {"another client moves it", always, [](changes_session& t, random_engine& random, sequence_state&) {
       static const POINT places[] = {{100, 100}, {164, 164}, {600, 500}, {-150, -120}};
       const POINT place = pick(random, places);
       t.move_by_other(place.x, place.y);
       return "to (" + std::to_string(place.x) + ", " + std::to_string(place.y) + ")";
     }},
    {"another client moves it off the screen", always, [](changes_session& t, random_engine&, sequence_state&) {
       t.move_by_other(3000, 2500);
       return std::string();
     }},
    {"reparented into another client's window and back", no_window_manager,
     [](changes_session& t, random_engine&, sequence_state&) {
       t.reparent_into_foreign();
       t.reparent_to_root(150, 160);
       return std::string();
     }},
    {"its own minimize area", always, just<&changes_session::own_minimize>},
    {"its own maximize area", always, just<&changes_session::own_maximize>},
    {"ShowWindow", always, [](changes_session& t, random_engine& random, sequence_state&) {
       static const struct {
         int command;
         const char* name;
       } commands[] = {{SW_RESTORE, "SW_RESTORE"}, {SW_MINIMIZE, "SW_MINIMIZE"}, {SW_MAXIMIZE, "SW_MAXIMIZE"},
                       {SW_SHOW, "SW_SHOW"}};
       const auto& command = pick(random, commands);
       // A change of state shows a hidden window without WM_SHOWWINDOW, as
       // Windows does, and the record's visible follows that message only:
       // a hidden window is shown as the runtime shows it.
       const bool hidden = !IsWindowVisible(t.handle);
       ShowWindow(t.handle, hidden ? SW_SHOW : command.command);
       t.let_it_act();
       return std::string(hidden ? "SW_SHOW (it was hidden)" : command.name);
     }},
    {"a click", always, [](changes_session& t, random_engine&, sequence_state&) {
       POINT point{};
       if (!t.client_point(point)) return std::string("nowhere: no part of the window to click");
       t.click_at(point);
       t.let_it_act();
       return "at (" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")";
     }},
    {"a caption band drag", keeps_places, [](changes_session& t, random_engine& random, sequence_state&) {
       static const POINT distances[] = {{120, 80}, {-90, 40}, {30, -200}};
       const POINT distance = pick(random, distances);
       t.drag_caption(distance.x, distance.y);
       return "by (" + std::to_string(distance.x) + ", " + std::to_string(distance.y) + ")";
     }},
    {"the window manager restarts in place", restarts_in_place, just<&changes_session::restart_window_manager>},
    {"a window manager starts", no_window_manager, [](changes_session& t, random_engine&, sequence_state& s) {
       const std::string failed = t.start_window_manager();
       s.own_manager = true;
       s.kind = &configured_window_manager();
       return std::string(s.kind->name) + (failed.empty() ? "" : ": " + failed);
     }},
    {"the window manager ends", own_window_manager, [](changes_session& t, random_engine& random, sequence_state& s) {
       const bool killed = std::uniform_int_distribution<int>(0, 1)(random) == 1;
       t.stop_window_manager(killed ? SIGKILL : SIGTERM);
       s.own_manager = false;
       s.kind = &x11_changes::no_window_manager();
       return std::string(killed ? "SIGKILL" : "SIGTERM");
     }},
};

void run_sequence(unsigned seed, int report_fd) {
  changes_session t;
  // Many actions do nothing in the state they meet: their waits are short.
  t.wait_seconds = 1.0;
  t.start();
  if (testing::Test::HasFatalFailure()) return;
  t.open();
  if (testing::Test::HasFatalFailure()) return;
  random_engine random(seed);
  sequence_state s;
  s.managed_at_start = x11_window_manager_running(t.other);
  s.kind = &t.running_kind();
  const int count = std::uniform_int_distribution<int>(5, 20)(random);
  for (int i = 1; i <= count; ++i) {
    std::vector<const action*> possible;
    for (const action& a : actions)
      if (a.possible(s)) possible.push_back(&a);
    const action& a = *possible[std::uniform_int_distribution<size_t>(0, possible.size() - 1)(random)];
    report_line(report_fd, std::to_string(i) + ". " + a.name);
    const std::string drawn = a.act(t, random, s);
    if (!drawn.empty()) report_line(report_fd, "   " + drawn);
    if (testing::Test::HasFatalFailure()) return;
  }
  // What would keep a key or a click from the window goes.
  if (s.grabbed) {
    report_line(report_fd, "then: the keyboard grab's end");
    t.ungrab_keyboard();
  }
  if (t.foreign) {
    report_line(report_fd, "then: another client's window goes");
    x11_error_trap trap(t.other);
    XDestroyWindow(t.other, t.foreign);
    trap.ok();
    t.foreign = 0;
  }
  EXPECT_EQ(t.settle(), "") << "after the sequence";
  if (t.read_server().map_state != IsViewable) {
    const bool iconic = IsIconic(t.handle) != 0;
    report_line(report_fd, iconic ? "then: ShowWindow SW_RESTORE" : "then: ShowWindow SW_SHOW");
    ShowWindow(t.handle, iconic ? SW_RESTORE : SW_SHOW);
    EXPECT_TRUE(t.wait_server([](const server_view& v) { return v.map_state == IsViewable; }, 5))
        << "waited in vain for the server to show the window mapped";
    EXPECT_EQ(t.settle(), "") << "after the window is shown";
  }
  POINT point{};
  if (!t.client_point(point)) {
    // Off the screen, or too small to have a plain client area.
    report_line(report_fd, "then: another client moves it to (100, 100) and resizes it to 400 x 300");
    t.move_by_other(100, 100);
    t.resize_by_other(window_width, window_height);
    EXPECT_EQ(t.settle(), "") << "after the window is moved into sight";
  }
  report_line(report_fd, "then: a click, and R typed");
  EXPECT_EQ(t.click_takes_keys(), "") << "after the sequence";
  EXPECT_EQ(t.settle(), "") << "after the click";
  t.finish();
}

unsigned environment_number(const char* name, unsigned otherwise) {
  const char* value = std::getenv(name);
  if (!value || !*value) return otherwise;
  return static_cast<unsigned>(std::strtoul(value, nullptr, 10));
}

}  // namespace

TEST(changed_by_others_at_random, the_layer_keeps_showing_what_the_server_shows) {
  const display_hold hold;
  bool reachable = false;
  window_manager_on_display(reachable);
  if (!reachable) GTEST_SKIP() << "no X server (DISPLAY)";
  std::vector<unsigned> seeds;
  if (std::getenv("QUON_X11_RANDOM_SEED")) {
    seeds.push_back(environment_number("QUON_X11_RANDOM_SEED", 0));
  } else {
    const unsigned base = environment_number("QUON_X11_RANDOM_BASE_SEED", default_base_seed);
    const unsigned sequences = environment_number("QUON_X11_RANDOM_SEQUENCES", default_sequences);
    for (unsigned i = 0; i < sequences; ++i) seeds.push_back(base + i);
  }
  for (const unsigned seed : seeds) {
    const child_outcome outcome = run_in_child([&](int report_fd) { run_sequence(seed, report_fd); }, sequence_seconds,
                                               {{"QUON_X11_RANDOM_SEED", std::to_string(seed)}});
    const char* how = outcome.kind == child_outcome::failed      ? "failed (its failures above)"
                      : outcome.kind == child_outcome::crashed   ? "ended by a signal"
                      : outcome.kind == child_outcome::timed_out ? "ran out of time and was killed"
                                                                 : nullptr;
    if (how)
      ADD_FAILURE() << "the sequence of seed " << seed << " " << how << "; QUON_X11_RANDOM_SEED=" << seed
                    << " runs it again. Its actions:\n"
                    << outcome.report;
  }
}
