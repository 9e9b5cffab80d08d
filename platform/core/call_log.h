#pragma once
// The record of platform calls and the failure rules that tests set through the
// sim. Off by default: the core pays one branch per call while it is off.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// One recorded call: its name and its arguments as text (numbers in decimal,
// handles in hexadecimal "0x...", texts between double quotes, null as "0").
struct platform_call {
  std::string name;
  std::vector<std::string> args;
};

// One argument as it appears in platform_call::args.
std::string platform_arg(std::int64_t value);
std::string platform_arg(const void* handle);
std::string platform_arg(const char* text);
std::string platform_arg(const char16_t* text);
std::string platform_arg_unsigned(std::uint64_t value);
std::string platform_arg_float(double value);

class platform_call_log {
 public:
  // Records a call (when recording) and answers whether it must fail.
  bool enter(const char* name, std::initializer_list<std::string> args);
  // Whether name is made to fail now, counting this call (no record).
  bool fails(const char* name);

  // Whether enter() has anything to do; callers skip formatting arguments otherwise.
  bool active() const { return recording || !rules_.empty(); }

  bool recording = false;
  std::vector<platform_call> calls;

  // Makes name fail: every call from now when nth is 0, else only the nth call
  // from now (1 = the next one).
  void fail(const std::string& name, int nth = 0);
  void clear_failures();

 private:
  struct failure_rule {
    int nth = 0;
    int seen = 0;
  };
  std::map<std::string, failure_rule> rules_;
};

platform_call_log& platform_calls();
