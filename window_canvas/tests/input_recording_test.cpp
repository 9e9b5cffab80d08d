// Keys, typed text, IME strings, pointer, touch, pen and file drops as the
// window procedure records them.

#include <string>
#include <vector>

#include "window_canvas/tests/canvas_fixture.h"

namespace {

constexpr LPARAM fresh_press = 0x00000001;   // repeat count 1
constexpr LPARAM auto_repeat = 0x40000001;   // previous-key-state bit
constexpr LPARAM key_release = static_cast<LPARAM>(0xC0000001u);

class input_recording : public canvas_test {};

TEST_F(input_recording, an_auto_repeated_key_counts_one_press) {
  window_runtime& window = open_window();
  deliver(window, WM_KEYDOWN, 'A', fresh_press);
  EXPECT_EQ(window.key_repeat, 0u);
  for (int i = 0; i < 5; ++i) deliver(window, WM_KEYDOWN, 'A', auto_repeat);
  EXPECT_EQ(window.press_counts['A'], 1);
  EXPECT_EQ(window.key_repeat, 1u);
  EXPECT_EQ(window.event_code, 100);
  deliver(window, WM_KEYUP, 'A', key_release);
  EXPECT_EQ(window.press_counts['A'], 1) << "a key-up never changes the counter";
  EXPECT_EQ(window.event_code, 101);
  EXPECT_EQ(window.event_arg0, uint64_t{'A'});
  EXPECT_EQ(window.event_arg1, uint64_t{'A'});
  // A repeat count above 1 is a repeat too.
  deliver(window, WM_KEYDOWN, 'B', 0x00000003);
  EXPECT_EQ(window.press_counts['B'], 0);
}

TEST_F(input_recording, press_counters_saturate_at_255) {
  window_runtime& window = open_window();
  for (int i = 0; i < 300; ++i) {
    deliver(window, WM_KEYDOWN, VK_SPACE, fresh_press);
    deliver(window, WM_KEYUP, VK_SPACE, key_release);
  }
  EXPECT_EQ(window.press_counts[VK_SPACE], 255);
  // Virtual keys beyond the table are recorded as events only.
  deliver(window, WM_KEYDOWN, 0x1FF, fresh_press);
  EXPECT_EQ(window.event_arg0, 0x1FFu);
  EXPECT_EQ(window.event_code, 100);
}

TEST_F(input_recording, losing_focus_or_a_close_request_empties_the_counters) {
  window_runtime& window = open_window();
  deliver(window, WM_KEYDOWN, 'R', fresh_press);
  deliver(window, WM_KEYDOWN, 'N', fresh_press);
  deliver(window, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(window.focused, 0);
  EXPECT_EQ(window.press_counts['R'], 0);
  EXPECT_EQ(window.press_counts['N'], 0);
  deliver(window, WM_SETFOCUS, 0, 0);
  deliver(window, WM_KEYDOWN, 'R', fresh_press);
  deliver(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(window.press_counts['R'], 0);
  EXPECT_EQ(window.close_requested, 1);
  EXPECT_EQ(window.open, 0);
  EXPECT_EQ(window.visible, 0);
  EXPECT_NE(window.window_handle, nullptr) << "a close request hides the window without destroying it";
}

TEST_F(input_recording, modifier_keys_set_and_clear_their_bits) {
  window_runtime& window = open_window();
  deliver(window, WM_KEYDOWN, VK_SHIFT, fresh_press);
  deliver(window, WM_KEYDOWN, VK_CONTROL, fresh_press);
  EXPECT_EQ(window.modifiers, 3u);
  deliver(window, WM_SYSKEYDOWN, VK_MENU, fresh_press);
  EXPECT_EQ(window.key_modifiers, 7u);
  deliver(window, WM_KEYUP, VK_SHIFT, key_release);
  EXPECT_EQ(window.modifiers, 6u);
  EXPECT_EQ(window.key_modifiers, 6u);
  EXPECT_EQ(window.press_counts[VK_SHIFT], 1);
}

TEST_F(input_recording, alt_f4_is_recorded_and_does_not_close_the_window) {
  window_runtime& window = open_window();
  sim_clear_calls();
  sim_key(window.window_handle, VK_MENU, true);
  sim_key(window.window_handle, VK_F4, true);
  sim_key(window.window_handle, VK_F4, false);
  sim_key(window.window_handle, VK_MENU, false);
  for (int i = 0; i < 4; ++i) pump_messages();
  EXPECT_TRUE(sim_calls_named("DestroyWindow").empty());
  EXPECT_EQ(window.open, 1);
  EXPECT_EQ(window.close_requested, 0);
  EXPECT_EQ(window.press_counts[VK_F4], 1);
  EXPECT_EQ(window.modifiers, 0u);
}

TEST_F(input_recording, fixed_answers_with_and_without_a_record) {
  window_runtime& window = open_window();
  // A window of the runtime's class that no record describes, like the format probe.
  static constexpr char16_t class_name[] = u"quon_window_input_canvas_window";
  HWND bare = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(class_name), reinterpret_cast<LPCWSTR>(u""), WS_POPUP, 0, 0,
                              1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bare, nullptr);
  const struct {
    UINT message;
    WPARAM wParam;
    LRESULT answer;
  } cases[] = {{WM_QUERYENDSESSION, 0, TRUE}, {WM_ERASEBKGND, 0, 1},        {WM_ENDSESSION, 1, 0},
               {WM_ACTIVATEAPP, 1, 0},       {WM_POWERBROADCAST, 4, TRUE}, {WM_WTSSESSION_CHANGE, 5, 0},
               {WM_RENDERFORMAT, 1, 0},      {WM_RENDERALLFORMATS, 0, 0},  {WM_DESTROYCLIPBOARD, 0, 0},
               {WM_UNICHAR, 0xFFFF, TRUE},   {WM_UNICHAR, 'a', 0},         {WM_KEYDOWN, 'A', 0},
               {WM_DROPFILES, 0, 0},         {WM_TOUCH, 0, 0}};
  for (const auto& test : cases) {
    EXPECT_EQ(deliver(window, test.message, test.wParam, 0), test.answer) << "record, message " << test.message;
    EXPECT_EQ(window_procedure(bare, test.message, test.wParam, 0), test.answer) << "bare, message " << test.message;
  }
  EXPECT_EQ(window.text_input, "a");
  for (HWND handle : {window.window_handle, bare}) {
    sim_clear_calls();
    window_procedure(handle, WM_GETOBJECT, 0, 12345);
    const auto forwarded = sim_calls_named("DefWindowProcW");
    ASSERT_EQ(forwarded.size(), 1u);
    EXPECT_EQ(forwarded[0].args.at(3), "-25") << "the UI Automation root object id";
  }
}

struct typed_case {
  const char* name;
  std::vector<uint16_t> units;
  std::string appended;
  uint64_t characters;
};

TEST_F(input_recording, typed_utf16_units_append_whole_characters) {
  const typed_case cases[] = {
      {"e acute", {0x00E9}, "\xC3\xA9", 1},
      {"surrogate pair", {0xD83D, 0xDE00}, "\xF0\x9F\x98\x80", 1},
      {"lone low surrogate", {0xDE00}, "", 0},
      {"high surrogate then a letter", {0xD83D, 'x'}, "x", 1},
      {"control characters and DEL", {0x09, 0x0D, 0x1B, 0x1F, 0x7F}, "", 0},
      {"euro sign", {0x20AC}, "\xE2\x82\xAC", 1},
  };
  window_runtime& window = open_window();
  for (const typed_case& test : cases) {
    const std::string before = window.text_input;
    const uint64_t count = window.text_input_count;
    for (uint16_t unit : test.units) deliver(window, WM_CHAR, unit, 1);
    EXPECT_EQ(window.text_input.substr(before.size()), test.appended) << test.name;
    EXPECT_EQ(window.text_input_count - count, test.characters) << test.name;
    EXPECT_EQ(window.pending_high_surrogate, 0) << test.name;
  }
}

TEST_F(input_recording, text_input_refuses_a_character_that_does_not_fit_whole) {
  window_runtime& window = open_window();
  for (int i = 0; i < 510; ++i) deliver(window, WM_CHAR, 'a', 1);
  ASSERT_EQ(window.text_input.size(), 510u);
  deliver(window, WM_CHAR, 0x20AC, 1);  // 3 bytes
  EXPECT_EQ(window.text_input.size(), 510u);
  deliver(window, WM_CHAR, 0x00E9, 1);  // 2 bytes
  EXPECT_EQ(window.text_input.size(), 512u);
  deliver(window, WM_CHAR, 'b', 1);
  EXPECT_EQ(window.text_input.size(), 512u);
  EXPECT_EQ(window.text_input_count, 511u);
}

TEST_F(input_recording, unichar_appends_code_points_and_answers_the_probe) {
  window_runtime& window = open_window();
  EXPECT_EQ(deliver(window, WM_UNICHAR, 0xFFFF, 0), TRUE);
  deliver(window, WM_CHAR, 0xD83D, 1);
  EXPECT_EQ(deliver(window, WM_UNICHAR, 0x1F600, 0), 0);
  EXPECT_EQ(window.pending_high_surrogate, 0);
  deliver(window, WM_UNICHAR, 0x110000, 0);
  deliver(window, WM_UNICHAR, 0xD800, 0);
  EXPECT_EQ(window.text_input, "\xF0\x9F\x98\x80");
}

TEST_F(input_recording, ime_composition_and_result_strings) {
  window_runtime& window = open_window();
  deliver(window, WM_IME_STARTCOMPOSITION, 0, 0);
  EXPECT_EQ(window.composing, 1);
  const uint64_t revision = window.composition_revision;
  sim_set_ime(window.window_handle, u"\u304B\u306A\xD83D", u"");
  deliver(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
  EXPECT_EQ(window.composition, "\xE3\x81\x8B\xE3\x81\xAA") << "a trailing high surrogate is dropped";
  EXPECT_EQ(window.composition_revision, revision + 1);
  sim_set_ime(window.window_handle, u"", u"\u6F22\u5B57");
  deliver(window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_COMPSTR);
  EXPECT_EQ(window.text_input, "\xE6\xBC\xA2\xE5\xAD\x97");
  EXPECT_EQ(window.composition, "");
  EXPECT_EQ(window.composing, 0);
  EXPECT_EQ(window.composition_revision, revision + 2);
  // Losing the focus ends a composition.
  deliver(window, WM_IME_STARTCOMPOSITION, 0, 0);
  deliver(window, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(window.composing, 0);
  EXPECT_EQ(window.composition_revision, revision + 4);
}

TEST_F(input_recording, a_long_composition_is_cut_at_whole_characters) {
  window_runtime& window = open_window();
  sim_set_ime(window.window_handle, std::u16string(300, u'\u3042'), u"");
  deliver(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
  // 256 units are read at most; 170 three-byte characters fit into 512 bytes.
  EXPECT_EQ(window.composition.size(), 510u);
}

TEST_F(input_recording, a_mouse_click_synthesised_from_touch_records_nothing) {
  window_runtime& window = open_window();
  const uint64_t sequence = window.event_sequence;
  sim_post(window.window_handle, WM_LBUTTONDOWN, MK_LBUTTON, words(500, 300), static_cast<LPARAM>(0xFF515780u));
  sim_post(window.window_handle, WM_LBUTTONUP, 0, words(500, 300), static_cast<LPARAM>(0xFF515780u));
  pump_messages();
  EXPECT_EQ(window.event_sequence, sequence);
  EXPECT_EQ(window.pointer_kind, 0);
  sim_post(window.window_handle, WM_LBUTTONDOWN, MK_LBUTTON, words(500, 300), 0);
  pump_messages();
  EXPECT_EQ(window.event_code, 201);
  EXPECT_EQ(window.pointer_kind, 1);
  EXPECT_EQ(window.pointer_buttons, MK_LBUTTON);
  EXPECT_EQ(window.pointer_pressure, 1000);
  EXPECT_EQ(window.pointer_x, 500);
  EXPECT_EQ(window.pointer_y, 300);
  EXPECT_EQ(window.pointer_engaged, 1);
  EXPECT_EQ(window.press_snapshot[snapshot_sequence], static_cast<int64_t>(window.event_sequence));
  EXPECT_EQ(window.press_snapshot[snapshot_pointer_x], 500);
}

TEST_F(input_recording, pen_pressure_is_scaled_to_thousandths) {
  const struct {
    UINT32 pressure;
    int64_t recorded;
  } cases[] = {{0, 0}, {512, 500}, {1023, 999}, {1024, 1000}, {4096, 1000}};
  window_runtime& window = open_window();
  for (const auto& test : cases) {
    sim_set_pen(7, test.pressure);
    deliver(window, WM_POINTERUPDATE, 7, words(100, 100));
    EXPECT_EQ(window.pointer_pressure, test.recorded) << test.pressure;
    EXPECT_EQ(window.pointer_kind, 3);
    EXPECT_EQ(window.pointer_id, 7);
  }
  // Without a pressure reading a pen press has the default pressure.
  sim_set_pen(8, 700, 0);
  deliver(window, WM_POINTERDOWN, 8 | (0x1Fu << 16), words(100, 100));
  EXPECT_EQ(window.pointer_pressure, 1000);
  EXPECT_EQ(window.pointer_buttons, 0x1F);
}

struct pointer_type_case {
  const char* name;
  POINTER_INPUT_TYPE type;
  int64_t kind;  // 0: not recorded
};

TEST_F(input_recording, pointer_messages_record_mouse_touch_and_pen_only) {
  const pointer_type_case cases[] = {
      {"mouse", PT_MOUSE, 1}, {"touch", PT_TOUCH, 2}, {"pen", PT_PEN, 3},
      {"generic pointer", PT_POINTER, 0}, {"touchpad", PT_TOUCHPAD, 0},
  };
  window_runtime& window = open_window();
  POINT screen{300, 200};
  POINT client = screen;
  ScreenToClient(window.window_handle, &client);
  UINT32 id = 20;
  for (const pointer_type_case& test : cases) {
    sim_set_pointer_type(++id, test.type);
    const uint64_t sequence = window.event_sequence;
    const struct {
      UINT message;
      int64_t code;
      int64_t pressure;
    } messages[] = {{WM_POINTERDOWN, 201, 1000}, {WM_POINTERUPDATE, 200, 0}, {WM_POINTERUP, 202, 0}};
    for (const auto& message : messages) {
      EXPECT_EQ(deliver(window, message.message, id | (0x3u << 16), words(screen.x, screen.y)), 0) << test.name;
      if (test.kind == 0) continue;
      EXPECT_EQ(window.event_code, message.code) << test.name;
      EXPECT_EQ(window.pointer_kind, test.kind) << test.name;
      EXPECT_EQ(window.pointer_id, id) << test.name;
      EXPECT_EQ(window.pointer_pressure, message.pressure) << test.name;
      EXPECT_EQ(window.pointer_buttons, 3) << test.name << ": the pointer flags of wParam's high word";
      EXPECT_EQ(window.pointer_raw_x, screen.x) << test.name;
      EXPECT_EQ(window.pointer_x, client.x) << test.name << ": screen coordinates converted to the client area";
      EXPECT_EQ(window.pointer_y, client.y) << test.name;
    }
    if (test.kind == 0) {
      EXPECT_EQ(window.event_sequence, sequence) << test.name << " is not recorded";
    }
  }
  // A pointer the system no longer knows records nothing.
  const uint64_t sequence = window.event_sequence;
  sim_fail("GetPointerType");
  EXPECT_EQ(deliver(window, WM_POINTERDOWN, 21, words(screen.x, screen.y)), 0);
  EXPECT_EQ(window.event_sequence, sequence);
}

TEST_F(input_recording, a_touch_batch_handle_is_closed_even_when_nothing_is_read) {
  window_runtime& window = open_window();
  const uint64_t sequence = window.event_sequence;
  sim_touch(window.window_handle, {});
  std::vector<TOUCHINPUT> one(1);
  one[0].dwFlags = TOUCHEVENTF_DOWN;
  sim_touch(window.window_handle, one);
  sim_fail("GetTouchInputInfo");
  pump_messages();
  EXPECT_EQ(window.event_sequence, sequence);
  EXPECT_EQ(window.touch_contacts, 0u);
  EXPECT_EQ(sim_calls_named("CloseTouchInputHandle").size(), 2u);
}

TEST_F(input_recording, a_composition_without_an_input_context_reads_nothing) {
  window_runtime& window = open_window();
  sim_set_ime(window.window_handle, u"\u304B", u"\u6F22");
  sim_fail("ImmGetContext");
  const uint64_t revision = window.composition_revision;
  deliver(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
  EXPECT_EQ(window.composing, 1);
  EXPECT_EQ(window.composition, "");
  deliver(window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(window.composing, 0);
  EXPECT_EQ(window.text_input, "");
  EXPECT_EQ(window.composition_revision, revision + 2);
  EXPECT_TRUE(sim_calls_named("ImmReleaseContext").empty());
}

TEST_F(input_recording, dropped_paths_longer_than_32767_units_are_not_kept) {
  window_runtime& window = open_window();
  const struct {
    std::size_t length;
    bool kept;
  } cases[] = {{1, true}, {32767, true}, {32768, false}};
  for (const auto& test : cases) {
    sim_drop(window.window_handle, {std::u16string(test.length, u'x')});
    pump_messages();
    EXPECT_EQ(window.event_code, 210) << test.length;
    EXPECT_EQ(window.event_arg0, test.kept ? 1u : 0u) << test.length;
    EXPECT_EQ(window.event_arg1, 1u) << test.length;
    EXPECT_EQ(window.dropped_path.size(), test.kept ? test.length : 0u) << test.length;
  }
  // A path that cannot be read back whole is not kept; the drop is still finished.
  sim_drop(window.window_handle, {u"/tmp/a.txt"});
  sim_fail("DragQueryFileW", 3);
  pump_messages();
  EXPECT_EQ(window.event_arg0, 0u);
  EXPECT_EQ(window.dropped_path, "");
  EXPECT_EQ(sim_drops_finished(), 4);
}

TEST_F(input_recording, size_messages_never_store_a_zero_size) {
  window_runtime& window = open_window();
  deliver(window, WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(window.client_width, 1);
  EXPECT_EQ(window.client_height, 1);
  EXPECT_EQ(window.minimized, 1);
  deliver(window, WM_SIZE, SIZE_RESTORED, words(800, 600));
  EXPECT_EQ(window.client_width, 800);
  EXPECT_EQ(window.client_height, 600);
  EXPECT_EQ(window.minimized, 0);
  deliver(window, WM_MOVE, 0, words(-20, 40));
  EXPECT_EQ(window.position_x, -20);
  EXPECT_EQ(window.position_y, 40);
}

TEST_F(input_recording, wheel_and_capture_messages) {
  window_runtime& window = open_window();
  deliver(window, WM_MOUSEMOVE, 0, words(40, 50));
  deliver(window, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-120)) << 16, words(300, 200));
  EXPECT_EQ(window.event_code, 203);
  EXPECT_EQ(window.wheel_delta, -120);
  EXPECT_EQ(window.pointer_raw_x, 300);
  POINT client{300, 200};
  ScreenToClient(window.window_handle, &client);
  EXPECT_EQ(window.pointer_x, client.x);
  EXPECT_EQ(window.pointer_y, client.y);
  // WM_CAPTURECHANGED carries a window handle in lParam, not a position.
  deliver(window, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window.window_handle));
  EXPECT_EQ(window.event_code, 204);
  EXPECT_EQ(window.capture_lost, 1);
  EXPECT_EQ(window.pointer_engaged, 0);
  EXPECT_EQ(window.pointer_x, client.x);
  EXPECT_EQ(window.pointer_raw_x, 300);
  deliver(window, WM_CANCELMODE, 0, 0);
  EXPECT_EQ(window.event_code, 205);
  EXPECT_EQ(window.pointer_cancelled, 1);
  EXPECT_EQ(window.capture_lost, 0);
  EXPECT_EQ(window.pointer_x, client.x);
}

TEST_F(input_recording, touch_batches_record_every_point) {
  window_runtime& window = open_window();
  std::vector<TOUCHINPUT> points(2);
  points[0].x = 12345;
  points[0].y = 6789;
  points[0].dwID = 4;
  points[0].dwFlags = TOUCHEVENTF_DOWN;
  points[1].x = 20000;
  points[1].y = 10000;
  points[1].dwID = 5;
  points[1].dwFlags = TOUCHEVENTF_UP;
  sim_touch(window.window_handle, points);
  pump_messages();
  EXPECT_EQ(window.touch_contacts, 2u);
  EXPECT_EQ(window.pointer_kind, 2);
  EXPECT_EQ(window.pointer_id, 5);
  EXPECT_EQ(window.event_code, 202);
  EXPECT_EQ(window.pointer_raw_x, 200);
  EXPECT_EQ(window.pointer_raw_y, 100);
  EXPECT_EQ(window.pointer_buttons, 0);
  EXPECT_EQ(sim_calls_named("CloseTouchInputHandle").size(), 1u);
  EXPECT_EQ(window.press_snapshot[snapshot_pointer_id], 4);
  EXPECT_EQ(window.press_snapshot[snapshot_pointer_raw_x], 123);
  EXPECT_EQ(window.press_snapshot[snapshot_pointer_raw_y], 67);
}

TEST_F(input_recording, a_drop_keeps_the_path_of_exactly_one_file) {
  window_runtime& window = open_window();
  sim_drop(window.window_handle, {u"/tmp/a.txt", u"/tmp/b.txt"});
  pump_messages();
  EXPECT_EQ(window.event_code, 210);
  EXPECT_EQ(window.event_arg0, 0u);
  EXPECT_EQ(window.event_arg1, 2u);
  EXPECT_EQ(window.dropped_path, "");
  sim_drop(window.window_handle, {u"/tmp/caf\u00E9.txt"});
  pump_messages();
  EXPECT_EQ(window.event_arg0, 1u);
  EXPECT_EQ(window.event_arg1, 1u);
  EXPECT_EQ(window.dropped_path, "/tmp/caf\xC3\xA9.txt");
  EXPECT_EQ(sim_drops_finished(), 2);
}

}  // namespace
