#include "platform/conformance/text_scenarios.h"

#include <string>
#include <vector>

#include "platform/conformance/conformance_log.h"

#ifndef MB_PRECOMPOSED
#define MB_PRECOMPOSED 0x00000001
#endif

namespace {

const DWORD untouched_error = 0xDEAD;

std::string units_text(const std::vector<WCHAR>& units, int count) {
  std::string text;
  for (int i = 0; i < count && i < static_cast<int>(units.size()); ++i)
    text += (i ? " " : "") + conf_hex(static_cast<unsigned>(units[i]), 4);
  return text.empty() ? "(none)" : text;
}

std::string bytes_text(const std::string& bytes, int count) {
  std::string text;
  for (int i = 0; i < count && i < static_cast<int>(bytes.size()); ++i)
    text += (i ? " " : "") + conf_hex(static_cast<unsigned char>(bytes[i]), 2);
  return text.empty() ? "(none)" : text;
}

// The result, and the last error when the call failed.
std::string result_text(int result) {
  std::string text = conf_format("%d", result);
  if (result == 0) text += ", " + conf_error_name(GetLastError());
  return text;
}

struct utf8_case {
  const char* name;
  std::string input;
  bool with_terminator;  // passed with length -1, else with its byte length
};

void multi_byte_to_wide() {
  conf_scenario("MultiByteToWideChar");
  const utf8_case cases[] = {
      {"ascii -1", "abc", true},
      {"ascii counted", "abc", false},
      {"empty -1", "", true},
      {"two-byte", "\xC3\xA9", false},
      {"four-byte", "\xF0\x9F\x98\x80", false},
      {"counted with its zero", std::string("ab\0", 3), false},
      {"zero inside", std::string("a\0b", 3), false},
      {"lone continuation", "a\x80z", false},
      {"bad second byte", "\xC3\x28", false},
      {"overlong slash", "\xC0\xAF", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"truncated at end", "a\xE2\x82", false},
      {"truncated before ascii", "\xE2\x82z", false},
      {"byte FF", "\xFF", false},
      {"BOM", "\xEF\xBB\xBFx", false},
  };
  for (const DWORD flags : {static_cast<DWORD>(MB_ERR_INVALID_CHARS), static_cast<DWORD>(0)}) {
    const char* mode = flags ? "strict" : "lenient";
    for (const utf8_case& c : cases) {
      int length = c.with_terminator ? -1 : static_cast<int>(c.input.size());
      SetLastError(untouched_error);
      int needed = MultiByteToWideChar(CP_UTF8, flags, c.input.data(), length, nullptr, 0);
      std::string line = std::string(mode) + " " + c.name + ": size " + result_text(needed);
      if (needed > 0) {
        std::vector<WCHAR> units(static_cast<std::size_t>(needed) + 4, 0);
        SetLastError(untouched_error);
        int written = MultiByteToWideChar(CP_UTF8, flags, c.input.data(), length, units.data(), needed);
        line += ", wrote " + result_text(written) + ": " + units_text(units, written);
        if (needed > 1) {
          SetLastError(untouched_error);
          int short_write = MultiByteToWideChar(CP_UTF8, flags, c.input.data(), length, units.data(), needed - 1);
          line += ", one unit short " + result_text(short_write);
        }
      }
      conf_line(line);
    }
  }
  SetLastError(untouched_error);
  conf_line("length 0: " + result_text(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, nullptr, 0)));
  SetLastError(untouched_error);
  conf_line("null input: " + result_text(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, nullptr, 0)));
  SetLastError(untouched_error);
  conf_line("MB_PRECOMPOSED with CP_UTF8: " +
            result_text(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, nullptr, 0)));
  WCHAR buffer[4];
  SetLastError(untouched_error);
  conf_line("negative output size: " + result_text(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, buffer, -1)));
}

struct utf16_case {
  const char* name;
  std::vector<WCHAR> input;
  bool with_terminator;
};

void wide_to_multi_byte() {
  conf_scenario("WideCharToMultiByte");
  const utf16_case cases[] = {
      {"ascii -1", {'a', 'b', 'c', 0}, true},
      {"ascii counted", {'a', 'b', 'c'}, false},
      {"empty -1", {0}, true},
      {"e acute", {0x00E9}, false},
      {"euro", {0x20AC}, false},
      {"pair", {0xD83D, 0xDE00}, false},
      {"counted with its zero", {'a', 'b', 0}, false},
      {"lone high then ascii", {0xD800, 'a'}, false},
      {"lone high at end", {'a', 0xD800}, false},
      {"lone low", {0xDC00, 'a'}, false},
      {"reversed pair", {0xDE00, 0xD83D}, false},
      {"two highs then low", {0xD83D, 0xD83D, 0xDE00}, false},
      {"U+FFFF", {0xFFFF}, false},
  };
  for (const DWORD flags : {static_cast<DWORD>(WC_ERR_INVALID_CHARS), static_cast<DWORD>(0)}) {
    const char* mode = flags ? "strict" : "lenient";
    for (const utf16_case& c : cases) {
      int length = c.with_terminator ? -1 : static_cast<int>(c.input.size());
      SetLastError(untouched_error);
      int needed = WideCharToMultiByte(CP_UTF8, flags, c.input.data(), length, nullptr, 0, nullptr, nullptr);
      std::string line = std::string(mode) + " " + c.name + ": size " + result_text(needed);
      if (needed > 0) {
        std::string bytes(static_cast<std::size_t>(needed) + 4, '\0');
        SetLastError(untouched_error);
        int written = WideCharToMultiByte(CP_UTF8, flags, c.input.data(), length, bytes.data(), needed, nullptr,
                                          nullptr);
        line += ", wrote " + result_text(written) + ": " + bytes_text(bytes, written);
        if (needed > 1) {
          SetLastError(untouched_error);
          int short_write = WideCharToMultiByte(CP_UTF8, flags, c.input.data(), length, bytes.data(), needed - 1,
                                                nullptr, nullptr);
          line += ", one byte short " + result_text(short_write);
        }
      }
      conf_line(line);
    }
  }
  const WCHAR abc[] = {'a', 'b', 'c', 0};
  char out[8];
  BOOL used = FALSE;
  SetLastError(untouched_error);
  conf_line("length 0: " + result_text(WideCharToMultiByte(CP_UTF8, 0, abc, 0, nullptr, 0, nullptr, nullptr)));
  SetLastError(untouched_error);
  conf_line("null input: " + result_text(WideCharToMultiByte(CP_UTF8, 0, nullptr, 3, nullptr, 0, nullptr, nullptr)));
  SetLastError(untouched_error);
  conf_line("default char with CP_UTF8: " +
            result_text(WideCharToMultiByte(CP_UTF8, 0, abc, 3, out, 8, "?", nullptr)));
  SetLastError(untouched_error);
  conf_line("used-default flag with CP_UTF8: " +
            result_text(WideCharToMultiByte(CP_UTF8, 0, abc, 3, out, 8, nullptr, &used)));
  SetLastError(untouched_error);
  conf_line("negative output size: " + result_text(WideCharToMultiByte(CP_UTF8, 0, abc, 3, out, -1, nullptr, nullptr)));
}

std::vector<WCHAR> wide(const char* ascii) {
  std::vector<WCHAR> units;
  for (const char* c = ascii; *c; ++c) units.push_back(static_cast<WCHAR>(*c));
  units.push_back(0);
  return units;
}

}  // namespace

void run_text_scenarios() {
  multi_byte_to_wide();
  wide_to_multi_byte();
}

void run_environment_scenarios() {
  conf_scenario("GetEnvironmentVariableW");
  const char* names[] = {"QUON_CONF_ONE", "QUON_CONF_EMPTY", "QUON_CONF_TEXT", "QUON_CONF_LONG", "QUON_CONF_BAD", "QUON_CONF_MISSING",
                         "quon_conf_one", ""};
  for (const char* name : names) {
    std::vector<WCHAR> wide_name = wide(name);
    SetLastError(untouched_error);
    DWORD size = GetEnvironmentVariableW(wide_name.data(), nullptr, 0);
    std::string line = std::string("'") + name + "': size " + result_text(static_cast<int>(size));
    if (size > 0 && size <= 70000) {
      std::vector<WCHAR> value(size + 2, 0x7777);
      SetLastError(untouched_error);
      DWORD read = GetEnvironmentVariableW(wide_name.data(), value.data(), size);
      line += ", read " + result_text(static_cast<int>(read));
      if (read > 0 && read < 8) line += ": " + units_text(value, static_cast<int>(read));
      line += conf_format(", terminated: %s", value[read < size ? read : 0] == 0 ? "yes" : "no");
      if (size > 1) {
        SetLastError(untouched_error);
        DWORD too_small = GetEnvironmentVariableW(wide_name.data(), value.data(), size - 1);
        line += conf_format(", buffer one short answers %d", static_cast<int>(too_small));
      }
    }
    conf_line(line);
  }
}
