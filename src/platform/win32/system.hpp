#pragma once
#include "platform/steady_timer.hpp"
#include "platform/system.hpp"

namespace bnx::platform::win32 {

// The steady clock, and sleeps that never end before their deadline: a
// high-resolution waitable timer where Windows has one, else Sleep and a short
// spin.
class WinTimer : public SteadyTimer {
 public:
  void BeginPeriod(unsigned ms) override;
  void SleepUntil(Nanos deadline) override;
  // Whether this thread's sleeps use the high-resolution waitable timer.
  static bool HighResolution();
};

class WinConsole : public Console {
 public:
  void WaitAnyKey() override;
  void WaitEnter() override;
};

class WinShell : public Shell {
 public:
  void Open(const std::string& address) override;
};

class WinRegistry : public Registry {
 public:
  std::string ReadString(const std::string& key_path, const std::string& value) override;
};

std::string ReadRegistryString(const std::string& key_path, const std::string& value);
std::string WebRequest(const std::string& host, const std::string& path,
                       const std::string& user_agent, std::ostream& out);

class WinHttps : public Https {
 public:
  std::string Get(const std::string& host, const std::string& path, const std::string& user_agent,
                  std::ostream& out) override;
};

}  // namespace bnx::platform::win32
