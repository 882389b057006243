#include <windows.h>

#include "platform/platform.hpp"
#include "platform/win32/game_input.hpp"
#include "platform/win32/keyboard.hpp"
#include "platform/win32/process.hpp"
#include "platform/win32/system.hpp"
#include "platform/win32/window.hpp"

namespace bnx::platform {

Platform& SystemPlatform() {
  static win32::WinKeyboard keyboard;
  static win32::WinForegroundWindow window;
  static win32::WinGameInput game_input;
  static win32::WinTimer timer;
  static win32::WinConsole console;
  static win32::WinShell shell;
  static win32::WinHttps https;
  static win32::WinRegistry registry;
  static win32::WinStopSignals stop_signals;
  static win32::WinFolderLock folder_lock;
  static Platform platform{keyboard, window, game_input, timer,        console,
                           shell,    https,  registry,   stop_signals, folder_lock};
  return platform;
}

}  // namespace bnx::platform
