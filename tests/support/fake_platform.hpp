#pragma once
// Every in-memory platform service in one bundle, for tests and benchmarks
// that build a connection of their own.
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "platform/fake/system.hpp"
#include "platform/fake/window.hpp"
#include "platform/platform.hpp"

namespace bnx::testing {

struct FakePlatform {
  platform::fake::FakeKeyboard keyboard;
  platform::fake::FakeForegroundWindow window;
  platform::fake::FakeGameInput gameInput;
  platform::fake::FakeTimer timer;
  platform::fake::StdinConsole console;
  platform::fake::FakeShell shell;
  platform::fake::FakeHttps https;
  platform::fake::FakeRegistry registry;
  platform::Platform platform{keyboard, window, gameInput, timer, console, shell, https, registry};
};

}  // namespace bnx::testing
