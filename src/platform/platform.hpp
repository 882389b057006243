#pragma once
#include <memory>

#include "platform/gamepad.hpp"
#include "platform/keyboard.hpp"
#include "platform/process.hpp"
#include "platform/system.hpp"
#include "platform/window.hpp"

namespace bnx::platform {

// Everything the program asks of the operating system, created once by main
// and handed down by reference.
struct Platform {
  Keyboard& keyboard;
  ForegroundWindow& window;
  GameInput& game_input;
  Timer& timer;
  Console& console;
  Shell& shell;
  Https& https;
  Registry& registry;
  StopSignals& stop_signals;
  FolderLock& folder_lock;
};

// The process-wide platform of this build: the real one on Windows, the
// in-memory one elsewhere.
Platform& SystemPlatform();

}  // namespace bnx::platform
