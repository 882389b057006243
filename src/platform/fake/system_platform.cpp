#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "platform/fake/system.hpp"
#include "platform/platform.hpp"
#include "platform/fake/window.hpp"

namespace bnx::platform {

// The native program: an idle machine with LFS in front and no update host.
Platform& SystemPlatform() {
  static fake::FakeKeyboard keyboard;
  static fake::FakeForegroundWindow window;
  static fake::FakeGameInput gameInput;
  static fake::FakeTimer timer;
  static fake::StdinConsole console;
  static fake::FakeShell shell;
  static fake::FakeHttps https = [] {
    fake::FakeHttps h;
    h.answerFile = "fake-update-answer.txt";
    return h;
  }();
  static fake::FakeRegistry registry = [] {
    fake::FakeRegistry r;
    r.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProductName"] = "Native build";
    r.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\CurrentBuild"] = "0";
    return r;
  }();
  static Platform platform{keyboard, window, gameInput, timer, console, shell, https, registry};
  return platform;
}

}  // namespace bnx::platform
