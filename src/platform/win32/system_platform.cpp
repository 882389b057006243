#include <windows.h>

#include "platform/platform.hpp"
#include "platform/win32/system.hpp"

namespace bnx::platform {

namespace {
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

Platform& SystemPlatform() {
  static IdleKeyboard keyboard;
  static LfsInFront window;
  static NoGameInput gameInput;
  static win32::WinTimer timer;
  static win32::WinConsole console;
  static win32::WinShell shell;
  static win32::WinHttps https;
  static win32::WinRegistry registry;
  static Platform platform{keyboard, window, gameInput, timer, console, shell, https, registry};
  return platform;
}

}  // namespace bnx::platform
