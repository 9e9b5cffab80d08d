#include "platform/core/call_log.h"

#include <cstdio>

std::string platform_arg(std::int64_t value) { return std::to_string(value); }

std::string platform_arg_unsigned(std::uint64_t value) { return std::to_string(value); }

std::string platform_arg(const void* handle) {
  if (!handle) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
  return text;
}

std::string platform_arg(const char* text) {
  if (!text) return "0";
  // Resource numbers stand in the place of names in some calls.
  if (reinterpret_cast<std::uintptr_t>(text) >> 16 == 0)
    return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(text));
  return "\"" + std::string(text) + "\"";
}

std::string platform_arg(const char16_t* text) {
  if (!text) return "0";
  std::string out = "\"";
  for (const char16_t* p = text; *p; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out + "\"";
}

std::string platform_arg_float(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool platform_call_log::enter(const char* name, std::initializer_list<std::string> args) {
  if (recording) calls.push_back({name, std::vector<std::string>(args)});
  return fails(name);
}

bool platform_call_log::fails(const char* name) {
  if (rules_.empty()) return false;
  auto rule = rules_.find(name);
  if (rule == rules_.end()) return false;
  if (rule->second.nth == 0) return true;
  return ++rule->second.seen == rule->second.nth;
}

void platform_call_log::fail(const std::string& name, int nth) { rules_[name] = failure_rule{nth < 0 ? 0 : nth, 0}; }

void platform_call_log::clear_failures() { rules_.clear(); }

platform_call_log& platform_calls() {
  static platform_call_log log;
  return log;
}
