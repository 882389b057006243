#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "platform/fake/system.hpp"
#include "platform/platform.hpp"

namespace bnx::platform {

namespace {
// No keys held and no controllers until something presses them; LFS in front.
class LfsInFront : public ForegroundWindow {
 public:
  std::optional<std::string> Title(std::size_t) override { return "Live for Speed"; }
};
}  // namespace

// The native program: an idle machine with LFS in front and no update host.
Platform& SystemPlatform() {
  static fake::FakeKeyboard keyboard;
  static LfsInFront window;
  static fake::FakeGameInput gameInput;
  static fake::FakeTimer timer;
  static fake::StdinConsole console;
  static fake::FakeShell shell;
  static fake::FakeHttps https;
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
