#include "platform/fake/system.hpp"
#include "platform/platform.hpp"

namespace bnx::platform {

namespace {
// Until the input and window fakes land: nothing held, LFS in front, no controllers.
class IdleKeyboard : public Keyboard {
 public:
  std::uint16_t KeyState(std::uint8_t) override { return 0; }
};
class LfsInFront : public ForegroundWindow {
 public:
  std::optional<std::string> Title(std::size_t) override { return "Live for Speed"; }
};
class NoGameInput : public GameInput {
 public:
  bool Create() override { return true; }
  void EnumGameControllers(const std::function<void(const DeviceInstance&)>&) override {}
  std::unique_ptr<GameDevice> CreateDevice(const Guid&) override { return nullptr; }
  void Release() override {}
};
}  // namespace

// The native program: an idle machine with LFS in front and no update host.
Platform& SystemPlatform() {
  static IdleKeyboard keyboard;
  static LfsInFront window;
  static NoGameInput gameInput;
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
