#include <windows.h>

#include "platform/platform.hpp"
#include "platform/win32/window.hpp"
#include "platform/win32/game_input.hpp"
#include "platform/win32/keyboard.hpp"
#include "platform/win32/process.hpp"
#include "platform/win32/system.hpp"

namespace bnx::platform {

Platform& SystemPlatform() {
  static win32::WinKeyboard keyboard;
  static win32::WinForegroundWindow window;
  static win32::WinGameInput gameInput;
  static win32::WinTimer timer;
  static win32::WinConsole console;
  static win32::WinShell shell;
  static win32::WinHttps https;
  static win32::WinRegistry registry;
  static win32::WinStopSignals stopSignals;
  static win32::WinFolderLock folderLock;
  static Platform platform{keyboard, window, gameInput, timer,    console,
                           shell,    https,  registry,  stopSignals, folderLock};
  return platform;
}

}  // namespace bnx::platform
