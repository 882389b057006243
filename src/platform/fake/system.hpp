#pragma once
// In-memory stand-ins for the operating system services that tests drive.
#include <map>
#include <string>
#include <vector>

#include "platform/steady_timer.hpp"
#include "platform/system.hpp"

namespace bnx::platform::fake {

class FakeTimer : public SteadyTimer {
 public:
  void BeginPeriod(unsigned ms) override { period = ms; }
  unsigned period = 0;
};

// Waits read standard input, so a test or a user at a terminal answers them.
class StdinConsole : public Console {
 public:
  void WaitAnyKey() override;
  void WaitEnter() override;
};

// Counts the waits and returns at once.
class FakeConsole : public Console {
 public:
  void WaitAnyKey() override { ++anyKeys; }
  void WaitEnter() override { ++enters; }
  int anyKeys = 0, enters = 0;
};

class FakeShell : public Shell {
 public:
  void Open(const std::string& address) override { opened.push_back(address); }
  std::vector<std::string> opened;
};

// Answers every request with `body`, offline by default; with `answerFile`
// set, with that file's contents when it exists (how the native program's
// tests choose the answer).
class FakeHttps : public Https {
 public:
  std::string Get(const std::string& host, const std::string& path, const std::string& user_agent,
                  std::ostream& out) override;
  std::string body;
  std::string answerFile;
  struct Request {
    std::string host, path, userAgent;
  };
  std::vector<Request> requests;
};

class FakeRegistry : public Registry {
 public:
  std::string ReadString(const std::string& key_path, const std::string& value) override;
  std::map<std::string, std::string> values;  // "key\\value" -> text
};

}  // namespace bnx::platform::fake
