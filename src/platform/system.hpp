#pragma once
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace bnx::platform {

// Steady-clock nanoseconds, the one time base of the program.
using Nanos = std::int64_t;
// So that times read as durations: ToNanos(10ms).
constexpr Nanos ToNanos(std::chrono::nanoseconds d) { return d.count(); }

class Timer {
 public:
  virtual ~Timer() = default;
  // timeBeginPeriod: the system timer resolution in milliseconds.
  virtual void BeginPeriod(unsigned ms) = 0;
  virtual Nanos Now() = 0;
  virtual void SleepFor(Nanos duration) = 0;
  virtual void SleepUntil(Nanos deadline) = 0;
};

class Console {
 public:
  virtual ~Console() = default;
  // One key press, no echo, no Enter needed.
  virtual void WaitAnyKey() = 0;
  // Until Enter is pressed (or input ends).
  virtual void WaitEnter() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecuteA "open" in a normal window.
  virtual void Open(const std::string& address) = 0;
};

class Https {
 public:
  virtual ~Https() = default;
  // GET https://host/path; the body, empty when nothing could be read. Failures
  // are reported on `out` in the WinHTTP wording.
  virtual std::string Get(const std::string& host, const std::string& path,
                          const std::string& user_agent, std::ostream& out) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // A REG_SZ value under HKEY_LOCAL_MACHINE (64-bit view); empty when missing.
  virtual std::string ReadString(const std::string& key_path, const std::string& value) = 0;
};

}  // namespace bnx::platform
