#pragma once
// Every in-memory platform service in one bundle, for each test, benchmark or
// fuzz input that builds a connection of its own. The native program borrows
// the fakes but not their signals or folder lock (platform/native/).
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
  FakeGameInput game_input;
  FakeTimer timer;
  StdinConsole console;
  FakeShell shell;
  FakeHttps https;
  FakeRegistry registry;
  FakeStopSignals stop_signals;
  FakeFolderLock folder_lock;
  // The same services, but time from `other`.
  Platform With(Timer& other) {
    return {keyboard, window, game_input, other,        console,
            shell,    https,  registry,   stop_signals, folder_lock};
  }
  Platform platform = With(timer);
};

}  // namespace bnx::platform::fake
