#pragma once
// Every in-memory platform service in one bundle: the native program's, and
// that of each test, benchmark or fuzz input that builds a connection of its own.
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "platform/fake/process.hpp"
#include "platform/fake/system.hpp"
#include "platform/fake/window.hpp"
#include "platform/platform.hpp"

namespace bnx::platform::fake {

struct FakePlatform {
  FakeKeyboard keyboard;
  FakeForegroundWindow window;
  FakeGameInput gameInput;
  FakeTimer timer;
  StdinConsole console;
  FakeShell shell;
  FakeHttps https;
  FakeRegistry registry;
  FakeStopSignals stopSignals;
  FakeFolderLock folderLock;
  // The same services, but time from `other`.
  Platform With(Timer& other) {
    return {keyboard, window, gameInput, other, console, shell, https, registry, stopSignals, folderLock};
  }
  Platform platform = With(timer);
};

}  // namespace bnx::platform::fake
